// A stand-in for NorvaHost that the browser starts through the host manifest, for the
// cases the real host never produces: see hostDouble() in support.mjs.
import { appendFileSync, readFileSync } from "node:fs";

const [mode, argument] = process.argv.slice(2);

function readRequest() {
  return new Promise((resolve) => {
    const chunks = [];
    process.stdin.on("data", (chunk) => {
      chunks.push(chunk);
      const bytes = Buffer.concat(chunks);
      if (bytes.length >= 4 && bytes.length >= 4 + bytes.readUInt32LE(0)) {
        resolve(bytes.subarray(4, 4 + bytes.readUInt32LE(0)).toString("utf8"));
      }
    });
    process.stdin.on("end", () => resolve(""));
  });
}

function writeReply(text) {
  const body = Buffer.from(text, "utf8");
  const length = Buffer.alloc(4);
  length.writeUInt32LE(body.length);
  process.stdout.write(Buffer.concat([length, body]), () => process.exit(0));
}

// A host that never answers: it logs its pid, the end of its input and any SIGTERM, and
// keeps running until something kills it outright.
if (mode === "hang") {
  const note = (event) => appendFileSync(argument, `${event} ${process.pid} ${Date.now()}\n`);
  process.on("SIGTERM", () => note("sigterm"));
  note("start");
  process.stdin.on("end", () => note("eof"));
  process.stdin.resume();
  setInterval(() => {}, 1000);
} else {
  await serve();
}

async function serve() {
  const request = await readRequest();
  if (mode === "slow") {
    // Logs when it starts and ends work, so a test can see whether two hosts overlapped.
    appendFileSync(argument, `start ${process.pid} ${Date.now()}\n`);
    await new Promise((done) => setTimeout(done, 400));
    appendFileSync(argument, `end ${process.pid} ${Date.now()}\n`);
    writeReply('{"rc":"0","result":"slow","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}');
  } else if (mode === "record") {
    appendFileSync(argument, request + "\n");
    writeReply('{"rc":"0","result":"recorded","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}');
  } else if (mode === "answer") {
    writeReply(readFileSync(argument, "utf8"));
  } else if (mode === "silent") {
    process.exit(0);
  } else if (mode === "oversized") {
    const result = "A".repeat(1024 * 1024);
    writeReply(`{"rc":"0","result":"${result}","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0}`);
  }
}
