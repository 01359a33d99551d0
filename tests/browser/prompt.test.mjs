// File signing from a page through the whole chain with the real confirmation prompt:
// headless Chromium, the extension, NorvaHost, the component and NorvaUploadPrompt on a
// display server of the suite's own, against a virtual token with a 2048-bit key. A test
// answers the prompt as a person would, with a key press (xdotool), or leaves it alone.
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import { createHash, createPublicKey } from "node:crypto";
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";

import { prepareToken } from "./commands.mjs";
import {
  BIN, launchChromiumWithExtension, VirtualTokenHost, installChromiumManifest, scratchFolder, startDemoServer, waitFor,
} from "./support.mjs";

const PIN = "592604";
let xvfb;
let display;
let context;
let server;
let host;
let page;
let publicKeyPem;
let callLog;

// Xvfb on whichever display number is free; it writes the number it took to fd 3.
function startDisplay() {
  return new Promise((resolve, reject) => {
    const child = spawn("Xvfb", ["-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
                        { stdio: ["ignore", "ignore", "ignore", "pipe"] });
    child.on("error", reject);
    child.stdio[3].once("data", (data) => resolve([child, `:${String(data).trim()}`]));
  });
}

function xdotool(...args) {
  try {
    return execFileSync("xdotool", args, { env: { ...process.env, DISPLAY: display }, encoding: "utf8", stdio: ["ignore", "pipe", "ignore"] }).trim();
  } catch {
    return "";
  }
}

const promptWindow = () => xdotool("search", "--onlyvisible", "--class", "NorvaUploadPrompt").split("\n")[0];

// Answers the prompt as a person does: focus, then a real key press.
function press(window, key) {
  xdotool("windowfocus", "--sync", window);
  execFileSync("sleep", ["0.5"]);
  xdotool("key", key);
}

before(async () => {
  [xvfb, display] = await startDisplay();
  host = new VirtualTokenHost({ prompt: true, display });
  prepareToken(host, "service");
  const modulus = execFileSync(join(BIN, "make_service_key"), [host.folder, PIN, "2048"],
                               { env: { ...process.env, ...host.environment }, encoding: "utf8" }).trim();
  publicKeyPem = createPublicKey({
    key: { kty: "RSA", n: Buffer.from(modulus, "hex").toString("base64url"), e: "AQAB" }, format: "jwk",
  }).export({ type: "spki", format: "pem" });
  callLog = join(host.folder, "calls.log");
  host.simctl("token", "log-to", callLog);
  server = await startDemoServer();
  const profile = scratchFolder("chromium-prompt");
  installChromiumManifest(profile, host.wrapper);
  context = await launchChromiumWithExtension(profile);
  page = await context.newPage();
  await page.goto(server.allowedUrl);
});

after(async () => {
  // A prompt left open by a failed case: answer it Cancel so that nothing is signed.
  const window = promptWindow();
  if (window) press(window, "Escape");
  await context?.close();
  await server?.close();
  xvfb?.kill();
});

// Starts SignFileData in the page; returns a promise of how it settled.
function signFileData(fileContent, options = {}) {
  return page.evaluate(async ([fileContent, options]) => {
    const norva = await import("/lib/norva.js");
    return norva.SignFileData({ pin: "592604", fileContent, fileName: "payments.txt", challenge: "CH-2026-12-09" }, options)
      .then((outcome) => ({ result: outcome.result }),
            (error) => ({ error: [error.name, error.kind], maxRecords: error.maxRecords, keyLength: error.keyLength }));
  }, [fileContent, options]);
}

const callsSince = (mark) => readFileSync(callLog, "utf8").slice(mark).split("\n").filter(Boolean).map((line) => line.split("\t")[0]);
const logMark = () => readFileSync(callLog, "utf8").length;

const header = "K" + "0".repeat(105);
const detail = (amount) => `5123456781234567890AB${amount}XYZ`;

test("a file confirmed in the prompt with a key press is signed, and OpenSSL verifies it", async () => {
  const first = detail("000000000001050");
  const second = detail("000000001234567");
  const pending = signFileData(`${header}\n${first}\n${second}\n9trailer\n`);
  const window = await waitFor(promptWindow, 30000, 100);
  assert.ok(window, "the prompt is shown");
  press(window, "Return");
  const outcome = await pending;
  assert.ok(outcome.result, JSON.stringify(outcome));
  const signatures = outcome.result.split("|");
  // Each signature is of the lines up to its record and the challenge, hashed with SHA-512.
  const texts = [`${header}\r\n${first}\r\nCH-2026-12-09`, `${second}\r\nCH-2026-12-09`];
  assert.equal(signatures.length, texts.length);
  const folder = scratchFolder("openssl");
  writeFileSync(join(folder, "key.pem"), publicKeyPem);
  for (const [index, signature] of signatures.entries()) {
    writeFileSync(join(folder, "sig.bin"), Buffer.from(signature, "hex"));
    const recovered = execFileSync("openssl", ["pkeyutl", "-verifyrecover", "-pubin", "-inkey", join(folder, "key.pem"),
                                               "-in", join(folder, "sig.bin")]);
    assert.equal(recovered.toString("hex"), createHash("sha512").update(texts[index]).digest("hex"), `signature ${index}`);
  }
});

test("a prompt left unanswered closes when the page's deadline passes, and nothing is signed",
  async () => {
    const mark = logMark();
    const pending = signFileData(`${header}\n${detail("000000000001050")}\n`, { timeoutMs: 6000 });
    const window = await waitFor(promptWindow, 30000, 100);
    assert.ok(window, "the prompt is shown");
    assert.deepEqual((await pending).error, ["TransportError", "Timeout"]);
    const closed = await waitFor(() => !promptWindow(), 10000, 100);
    if (!closed) press(window, "Escape");
    assert.ok(closed, "the prompt closed");
    assert.ok(!callsSince(mark).includes("C_Sign"), "no C_Sign after the page gave up");
  });

test("an upload too large for the reply is refused before any prompt or signing",
  async () => {
    const mark = logMark();
    const content = `${header}\r\n` + `${detail("000000000001050")}\r\n`.repeat(2100);
    let outcome = null;
    const pending = signFileData(content, { timeoutMs: 30000 }).then((settled) => (outcome = settled));
    const seen = await waitFor(() => (outcome !== null ? "settled" : promptWindow()), 30000, 100);
    const shown = seen === "settled" ? "" : seen;
    if (shown) press(shown, "Escape");
    await pending;
    assert.ok(!shown, "no prompt was shown");
    assert.deepEqual(outcome, { error: ["UploadTooLargeError", "UploadTooLarge"], maxRecords: 2043, keyLength: 2048 });
    assert.ok(!callsSince(mark).includes("C_Sign"), "nothing was signed");
  });
