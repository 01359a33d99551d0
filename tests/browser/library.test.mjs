// The parts of the extension and the page library that need no browser, in node: the origin
// matcher, the library's refusals before anything is sent, its upload record counter and
// its key helper. The browser suites check the same matcher against real injection.
import assert from "node:assert/strict";
import { createPublicKey, generateKeyPairSync } from "node:crypto";
import { test } from "node:test";

import * as norva from "../../extension/lib/norva.js";
import { loadOriginMatcher } from "./support.mjs";

const { pageRefusal } = loadOriginMatcher();

test("origins: the allow-list read with match-pattern rules, https only off this machine", () => {
  const patterns = [
    "https://pay.example.com/*", "https://*.Bank.example/*", "http://127.0.0.1/*",
    "http://LOCALHOST:8611/*", "http://intranet.example/*", "*://mixed.example/*",
    "https://shop.example/pay/*", "https://ported.example:8443/*", "ftp://files.example/*", "<all_urls>",
  ];
  const rows = [
    ["https://pay.example.com/", "allowed"],
    ["https://pay.example.com:8443/checkout?x=1", "allowed"], // no port in the pattern: every port
    ["https://PAY.Example.COM/", "allowed"],
    ["http://pay.example.com/", "not listed"],
    ["https://bank.example/", "allowed"],
    ["https://a.b.BANK.example/", "allowed"],
    ["https://notbank.example/", "not listed"],
    ["https://bank.example.evil/", "not listed"],
    ["http://127.0.0.1:9999/", "allowed"],
    ["http://127.0.0.1/", "allowed"],
    ["http://localhost:8611/", "allowed"],
    ["http://localhost:8612/", "not listed"], // a port in the pattern is that port only
    ["http://localhost/", "not listed"],
    ["http://intranet.example/", "not https"], // listed, but plain http off this machine
    ["https://intranet.example/", "not listed"],
    ["http://mixed.example/", "not https"],
    ["https://mixed.example/", "allowed"],
    ["https://shop.example/pay/now?id=3", "allowed"],
    ["https://shop.example/account", "not listed"],
    ["https://ported.example:8443/", "allowed"],
    ["https://ported.example/", "not listed"],
    ["https://evil.example/?https://pay.example.com/", "not listed"],
    ["https://pay.example.com.evil.example/", "not listed"],
    ["ftp://files.example/", "not listed"],
    ["file:///tmp/pay.html", "not listed"],
    ["http://127.0.0.2:8611/", "not listed"],
    ["not a url", "no URL"],
  ];
  const verdict = (url) => {
    const refusal = pageRefusal(patterns, url);
    return refusal === null ? "allowed" : refusal.includes("not served over https") ? "not https"
      : refusal.includes("no URL") ? "no URL" : "not listed";
  };
  assert.deepEqual(rows.map(([url]) => [url, verdict(url)]), rows);
});

// Calls a library function and reports how it settled; a synchronous throw is a failure.
function settle(call) {
  let promise;
  try {
    promise = call();
  } catch (error) {
    return Promise.resolve(["threw", error.name]);
  }
  return promise.then(() => ["resolved"], (error) => ["rejected", error.name, error.kind]);
}

test("bad arguments reject with BadRequest before anything is sent", async () => {
  // In node there is no window: anything that got as far as sending would fail differently.
  const rows = [
    ["FirstName", { newVal: undefined }],
    ["FirstName", { newVal: null }],
    ["FirstName", { newVal: 42 }],
    ["FirstName", { newVal: "Dana\u0001" }],
    ["LastName", { newVal: "Levi\n" }],
    ["Company", { newVal: "\u001b[2J" }],
    ["UserID", {}],
    ["UserCode", null],
    ["CardType", { newVal: "two" }],
    ["CardType", { newVal: 1.5 }],
    ["SignData", null],
    ["SignData", undefined],
    ["SignData", { pin: undefined, rawData: "00" }],
    ["SignData", { pin: "592604", rawData: 7 }],
    ["SignData", { pin: "592604", rawData: "00", isConvertToBinary: "yes" }],
    ["ChangePIN", { oldPin: "1111", newPin: "22\t22" }],
    ["FormatToken", "87654321"],
    ["FullFormatToken", { initPin: "592604", SOPassword: "87654321", firstName: "A\u0000B" }],
    ["GenerateKeysCustom", { pin: "592604", keyLength: "2" }],
    ["GenerateKeysCustom", { pin: "592604", keylength: "2048" }],
    ["FullFormatToken", { initPin: "592604", SOPassword: "87654321", keyLength: 2 }],
    ["SignFile", { pin: "592604", fileName: "pay\r.txt" }],
    ["SignFileData", { pin: "592604", fileContent: "5\u0007\r\n", fileName: "pay.txt" }],
    ["SignFileData", { pin: "592604", fileContent: ["5"], fileName: "pay.txt" }],
    ["HostVersion", null],
    ["HostVersion", { verbose: true }],
    ["TokensCount", undefined, { timeoutMs: 0 }],
    ["TokensCount", undefined, { timeoutMs: "1000" }],
    ["TokensCount", undefined, { signal: {} }],
    ["TokensCount", undefined, null],
    ["request", "SignData", { pin: "1" }, { deadline: 5 }],
  ];
  for (const [func, ...args] of rows) {
    const outcome = await settle(() => norva[func](...args));
    assert.deepEqual(outcome, ["rejected", "TransportError", "BadRequest"], `${func} ${JSON.stringify(args)}`);
  }
});

// Upload contents: [content, records].
const uploads = [
  ["", 0],
  ["5", 1],
  ["5\r\n5\r\n", 2],
  ["5a\n5b\n5c", 3],
  ["5a\r5b\r5c", 1], // the character after a lone CR is dropped unread
  ["5a\r\r5b", 2],
  ["K header\r\n5 detail\r\n9 trailer\r\n", 1],
  [" 5\r\n05\r\n\r\n5", 1],
  ["\n5\n\n5", 2],
  ["5א\r\n5ב", 2],
];

test("upload records are counted by the component's line rules", () => {
  assert.deepEqual(uploads.map(([content]) => [content, norva.countUploadRecords(content)]), uploads);
});

test("reply limits per key length, and the library's own refusal of larger uploads", async () => {
  assert.deepEqual([norva.maxRecords(2048), norva.maxRecords(1024)], [2043, 4079]);
  // The limits are the largest counts whose success reply fits in 1 MiB.
  for (const bits of [1024, 2048]) {
    const records = norva.maxRecords(bits);
    const reply = (n) => `{"rc":"0","result":"${Array(n).fill("F".repeat(bits / 4)).join("|")}","LastZTError":0,"PKCS11Error":-2147483647,"SignFileCanceled":0}`;
    assert.ok(reply(records).length <= 1024 * 1024, `${bits}: ${records} fit`);
    assert.ok(reply(records + 1).length > 1024 * 1024 - 128, `${bits}: one more nearly does not`);
  }
  const record = "5" + "1".repeat(40) + "\r\n";
  const over = await norva.SignFileData({ pin: "592604", fileName: "big.txt", fileContent: record.repeat(4080) })
    .catch((error) => error);
  assert.deepEqual([over.name, over.kind, over.maxRecords, over.keyLength, over.records],
                   ["UploadTooLargeError", "UploadTooLarge", 4079, null, 4080]);
  assert.ok(over instanceof norva.HostError);
});

test("versions compare part by part", () => {
  const rows = [["1.0.0", "1.0.0.0", 0], ["0.9.9", "1.0.0", -1], ["1.0.10", "1.0.9", 1], ["1.1", "1.0.5.2", 1]];
  assert.deepEqual(rows.map(([a, b]) => [a, b, norva.compareVersions(a, b)]), rows);
});

test("the public-key text becomes a JWK that node's crypto reads as the same key", () => {
  for (const bits of [1024, 2048]) {
    const { publicKey } = generateKeyPairSync("rsa", { modulusLength: bits, publicExponent: 65537 });
    const modulusHex = Buffer.from(publicKey.export({ format: "jwk" }).n, "base64url").toString("hex").toUpperCase();
    assert.equal(modulusHex.length, bits / 4);
    const jwk = norva.publicKeyToJwk(modulusHex);
    const back = createPublicKey({ key: jwk, format: "jwk" });
    assert.ok(back.equals(publicKey), `${bits}-bit key`);
  }
  assert.equal(norva.publicKeyToJwk("00C0FF").n, "wP8");
  for (const bad of ["", "ABC", "XY", 42]) {
    assert.throws(() => norva.publicKeyToJwk(bad), { kind: "BadRequest" });
  }
});

test("the SHA-256 DigestInfo is the DER form OpenSSL and WebCrypto expect", async () => {
  const info = await norva.sha256DigestInfo("abc");
  assert.equal(info, "3031300D060960864801650304020105000420" +
    "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
});

// The page's side of the content script: answers pings with the extension's version and
// requests with the host's reply, and keeps what it was asked.
function installBridge({ extension, reply }) {
  const page = new EventTarget();
  const asked = [];
  page.location = { origin: "https://pay.example.com" };
  const deliver = (data) => {
    const event = new Event("message");
    Object.defineProperties(event, { data: { value: data }, source: { value: page } });
    page.dispatchEvent(event);
  };
  page.postMessage = (data) => setTimeout(() => {
    deliver(data);
    if (data.type === "answer" || extension === null) return;
    asked.push(data);
    const body = data.type === "ping" ? { present: true, version: extension } : reply(data.request);
    deliver({ channel: data.channel, type: "answer", id: data.id, ...body });
  });
  globalThis.window = page;
  return asked;
}

const hostReply = (result) => () => ({ reply: { rc: "0", result, LastZTError: 0, PKCS11Error: 0, SignFileCanceled: 0 } });
const notInstalled = () => ({ error: { type: "HostNotInstalled", message: "No such native application" } });

test("status names the versions and refuses pieces older than the library needs", async () => {
  const rows = [
    [{ extension: "1.0.0", reply: hostReply("1.0.0.0") }, { library: "1.0.0", extension: "1.0.0", host: "1.0.0.0", missing: [] }],
    [{ extension: "1.2.0", reply: hostReply("1.0.1.0") }, { library: "1.0.0", extension: "1.2.0", host: "1.0.1.0", missing: [] }],
    [{ extension: "1.0.0", reply: notInstalled }, { library: "1.0.0", extension: "1.0.0", host: null, missing: ["host"] }],
    [{ extension: null, reply: notInstalled }, { library: "1.0.0", extension: null, host: null, missing: ["extension", "host"] }],
    [{ extension: "0.9.9", reply: hostReply("1.0.0.0") }, ["VersionError", "ExtensionTooOld"]],
    [{ extension: "1.0.0", reply: hostReply("0.9.0.0") }, ["VersionError", "HostTooOld"]],
  ];
  try {
    for (const [bridge, expected] of rows) {
      installBridge(bridge);
      const outcome = await norva.status().catch((error) => [error.name, error.kind]);
      assert.deepEqual(outcome, expected, JSON.stringify(bridge.extension));
    }
    installBridge({ extension: "0.9.9", reply: hostReply("1") });
    await assert.rejects(norva.TokensCount(), { name: "VersionError", kind: "ExtensionTooOld" });
  } finally {
    delete globalThis.window;
  }
});

test("each request carries its deadline to the extension", async () => {
  const rows = [
    [() => norva.TokensCount(), 120000],
    [() => norva.SignFileData({ pin: "592604", fileContent: "5\r\n", fileName: "a.txt" }), 600000],
    [() => norva.SignFile({ pin: "592604", fileName: "a.txt" }), 600000],
    [() => norva.SignData({ pin: "592604", rawData: "00" }, { timeoutMs: 5000 }), 5000],
    [() => norva.FirstName(undefined, { timeoutMs: 700 }), 700],
  ];
  try {
    for (const [call, deadline] of rows) {
      const asked = installBridge({ extension: "1.0.0", reply: hostReply("done") });
      assert.equal((await call()).result, "done");
      assert.equal(asked.find((message) => message.type === "request").deadlineMs, deadline, String(call));
    }
  } finally {
    delete globalThis.window;
  }
});
