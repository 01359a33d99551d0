#!/usr/bin/env node
// Serves the demo page on this machine only: demo/ at "/" and the page library
// (extension/lib/) at "/lib/". No build step, no dependencies.
//
//   node demo/serve.mjs [--port 8611] [--host 127.0.0.1 ...]
//
// The extension serves pages from http://127.0.0.1 (any port) by default.
import { createReadStream } from "node:fs";
import { stat } from "node:fs/promises";
import { createServer } from "node:http";
import { dirname, extname, join, normalize, sep } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const roots = [
  ["/lib/", join(here, "..", "extension", "lib")],
  ["/", here],
];
const types = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".ts": "text/plain; charset=utf-8",
  ".png": "image/png",
  ".txt": "text/plain; charset=utf-8",
};

// The file a request path names, or null when it lies outside the served folders.
function fileFor(pathname) {
  for (const [prefix, folder] of roots) {
    if (pathname.startsWith(prefix)) {
      const relative = normalize(decodeURIComponent(pathname.slice(prefix.length)) || "index.html");
      const file = join(folder, relative);
      return file.startsWith(folder + sep) ? file : null;
    }
  }
  return null;
}

async function handle(request, response) {
  const { pathname } = new URL(request.url, "http://localhost");
  const file = fileFor(pathname);
  const info = file && (await stat(file).catch(() => null));
  if (request.method !== "GET" || !info?.isFile() || !types[extname(file)]) {
    response.writeHead(404, { "content-type": "text/plain" }).end("not found\n");
    return;
  }
  response.writeHead(200, { "content-type": types[extname(file)], "cache-control": "no-store" });
  createReadStream(file).pipe(response);
}

export function serve({ port = 8611, hosts = ["127.0.0.1"] } = {}) {
  return Promise.all(hosts.map((host) => new Promise((resolve, reject) => {
    const server = createServer((request, response) => {
      handle(request, response).catch(() => response.destroy());
    });
    server.once("error", reject);
    server.listen(port, host, () => resolve(server));
  })));
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const args = process.argv.slice(2);
  const hosts = [];
  let port = 8611;
  for (let i = 0; i < args.length; i += 2) {
    if (args[i] === "--port") port = Number(args[i + 1]);
    else if (args[i] === "--host") hosts.push(args[i + 1]);
    else {
      console.error("usage: serve.mjs [--port N] [--host ADDRESS ...]");
      process.exit(2);
    }
  }
  const servers = await serve({ port, hosts: hosts.length ? hosts : undefined });
  for (const server of servers) {
    const { address, port: bound } = server.address();
    console.log(`demo: http://${address}:${bound}/`);
  }
}
