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

const request = await readRequest();
if (mode === "record") {
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
