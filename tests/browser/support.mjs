// Shared set-up of the browser tests: NorvaHost installed beside a virtual token, host
// doubles, host manifests from the shipped templates, and the demo server.
import { execFileSync } from "node:child_process";
import { createHash } from "node:crypto";
import { chmodSync, copyFileSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { runInNewContext } from "node:vm";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";

import { chromium } from "playwright-core";

import { serve } from "../../demo/serve.mjs";

export const ROOT = resolve(dirname(fileURLToPath(import.meta.url)), "..", "..");
export const EXTENSION = join(ROOT, "extension");
export const BIN = resolve(process.env.NORVA_BIN ?? join(ROOT, "build", "linux", "bin"));
export const ARTIFACTS = resolve(process.env.NORVA_ARTIFACTS ?? join(BIN, "..", "browser-artifacts"));
export const HOST_NAME = "com.norva.digitalid";

const manifest = JSON.parse(readFileSync(join(EXTENSION, "manifest.json"), "utf8"));
export const GECKO_ID = manifest.browser_specific_settings.gecko.id;

// Chromium's ID for an extension with a "key": the SHA-256 of the key, its first 32 hex
// digits written with the letters a to p.
export const EXTENSION_ID = createHash("sha256")
  .update(Buffer.from(manifest.key, "base64"))
  .digest("hex")
  .slice(0, 32)
  .replace(/./g, (digit) => String.fromCharCode(97 + parseInt(digit, 16)));

// The background's origin matcher, loaded as the browser loads the script, with just enough
// of the extension API for it to start.
export function loadOriginMatcher() {
  const event = { addListener() {} };
  const chrome = {
    runtime: { getManifest: () => manifest, onConnect: event, onMessage: event, id: "test" },
  };
  const sandbox = { URL, chrome, TextEncoder, setTimeout, clearTimeout };
  runInNewContext(`${readFileSync(join(EXTENSION, "background.js"), "utf8")}
    this.pageRefusal = pageRefusal; this.patternMatches = patternMatches;`, sandbox);
  return sandbox;
}

// Scratch folders live until the test file's process ends.
const scratchFolders = [];
process.on("exit", () => {
  for (const folder of scratchFolders) rmSync(folder, { recursive: true, force: true });
});

// Debian's Chromium, headless, in a profile of the test's own, with the unpacked extension in
// `extension` loaded (Playwright leaves extensions out unless told).
export function launchChromiumWithExtension(profile, extension = EXTENSION) {
  return chromium.launchPersistentContext(profile, {
    executablePath: process.env.NORVA_CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    ignoreDefaultArgs: ["--disable-extensions"],
    args: [`--disable-extensions-except=${extension}`, `--load-extension=${extension}`],
  });
}

export function scratchFolder(name) {
  const folder = mkdtempSync(join(tmpdir(), `norva-${name}-`));
  scratchFolders.push(folder);
  return folder;
}

function writeScript(path, text) {
  writeFileSync(path, text);
  chmodSync(path, 0o755);
  return path;
}

// NorvaHost, the component and the token simulator under the driver's name, in one folder,
// started through a wrapper that points the simulators at this folder's state and logs
// every start with the browser's arguments.
//
// With { prompt: true, display } the folder holds the prompt program as well and the host
// runs on that display, as the installed package does on a desktop.
export class VirtualTokenHost {
  constructor({ prompt = false, display = null } = {}) {
    this.folder = scratchFolder("host");
    for (const file of ["NorvaHost", "libNorvaDigitalIDIF.so", ...(prompt ? ["NorvaUploadPrompt"] : [])]) {
      copyFileSync(join(BIN, file), join(this.folder, file));
    }
    copyFileSync(join(BIN, "libtokensim.so"), join(this.folder, "libtavlink.so"));
    this.environment = {
      TOKENSIM_STATE: join(this.folder, "token.json"),
      HLSIM_STATE: join(this.folder, "device.json"),
      XDG_CONFIG_HOME: join(this.folder, "config"), // the class is not registered
      ...(display ? { DISPLAY: display } : {}),
    };
    this.startLog = join(this.folder, "starts.log");
    writeFileSync(this.startLog, "");
    const exports = Object.entries(this.environment).map(([key, value]) => `export ${key}='${value}'`);
    this.wrapper = writeScript(join(this.folder, "norva-host"), [
      "#!/bin/sh",
      `echo "$*" >>'${this.startLog}'`,
      ...exports,
      `exec '${join(this.folder, "NorvaHost")}' "$@"`,
      "",
    ].join("\n"));
    this.simctl("hl", "eject"); // only the USB token is plugged in
  }

  simctl(...args) {
    return execFileSync(join(BIN, "simctl"), args, { env: { ...process.env, ...this.environment }, encoding: "utf8" });
  }

  firstSlot() {
    return /^slot (\d+):/m.exec(this.simctl("token", "show"))[1];
  }

  starts() {
    return readFileSync(this.startLog, "utf8").split("\n").filter(Boolean);
  }

}

// Programs standing in for NorvaHost: the browser starts them through the manifest.
//   record FILE: append each request's text to FILE, reply with a fixed success
//   answer FILE: reply with the text in FILE
//   silent: exit without replying
//   oversized: reply with a framed message just over the browser's 1 MB limit
export function hostDouble(folder, mode, argument = "") {
  return writeScript(join(folder, `host-${mode}`),
    `#!/bin/sh\nexec '${process.execPath}' '${join(ROOT, "tests", "browser", "host-double.mjs")}' ${mode} '${argument}'\n`);
}

export function fillManifest(template, hostPath) {
  const text = readFileSync(join(ROOT, "host", "manifests", `${template}.json.in`), "utf8");
  return text.replace("@NORVA_HOST_PATH@", hostPath);
}

export function installChromiumManifest(profile, hostPath) {
  const folder = join(profile, "NativeMessagingHosts");
  mkdirSync(folder, { recursive: true });
  writeFileSync(join(folder, `${HOST_NAME}.json`), fillManifest("chromium", hostPath));
}

export function removeChromiumManifest(profile) {
  rmSync(join(profile, "NativeMessagingHosts", `${HOST_NAME}.json`), { force: true });
}

// The demo server on the extension's allowed origin and on a second loopback address
// that is not on the allow-list.
export async function startDemoServer() {
  const [allowed, refused] = await serve({ port: 0, hosts: ["127.0.0.1"] }).then(async ([first]) => [
    first,
    (await serve({ port: first.address().port, hosts: ["127.0.0.2"] }))[0],
  ]);
  const url = (server) => `http://${server.address().address}:${server.address().port}/`;
  return {
    allowedUrl: url(allowed),
    refusedUrl: url(refused),
    close: () => Promise.all([allowed, refused].map((server) => new Promise((done) => server.close(done)))),
  };
}

// The events a host double logged: [{ event, pid, at }].
export function hostEvents(log) {
  return readFileSync(log, "utf8").split("\n").filter(Boolean).map((line) => {
    const [event, pid, at] = line.split(" ");
    return { event, pid: Number(pid), at: Number(at) };
  });
}

export async function waitFor(check, timeoutMs, stepMs = 50) {
  const until = Date.now() + timeoutMs;
  for (;;) {
    const value = check();
    if (value || Date.now() > until) return value;
    await new Promise((done) => setTimeout(done, stepMs));
  }
}

export function processGone(pid) {
  try {
    process.kill(pid, 0);
    return false;
  } catch (error) {
    return error.code === "ESRCH";
  }
}

// The hosts a slow double served, as [start, end] pairs: none may overlap another.
export function overlaps(log) {
  const events = hostEvents(log);
  const spans = events.filter((e) => e.event === "start").map((start) => [
    start.at, events.find((e) => e.event === "end" && e.pid === start.pid)?.at ?? Infinity,
  ]).sort((a, b) => a[0] - b[0]);
  return { spans, overlapping: spans.some(([start], i) => i > 0 && start < spans[i - 1][1]) };
}
