// The extension packer: the CRX3 file is one Chromium accepts (header fields, the
// signature over the right bytes, the ID), the archive is a zip other tools read back
// byte for byte, and the packaged manifest carries the version, key and allow-list.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { createHash, createPublicKey, generateKeyPairSync, verify } from "node:crypto";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { test } from "node:test";

import {
  CRX3, checkOrigins, crc32, crx3, crxSignedData, extensionId, packagedManifest, publicKeyDer, updateManifest, zip,
} from "../../packaging/extension/packing.mjs";

const { privateKey } = generateKeyPairSync("rsa", { modulusLength: 2048 });
const keyPem = privateKey.export({ type: "pkcs8", format: "pem" });

// A minimal protocol-buffer reader: field number to the list of its byte values.
function readFields(bytes) {
  const fields = {};
  let offset = 0;
  const varint = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      const byte = bytes[offset++];
      value += (byte & 0x7f) * 2 ** shift;
      if (byte < 0x80) return value;
    }
  };
  while (offset < bytes.length) {
    const tag = varint();
    assert.equal(tag & 7, 2, "every field of the header is length-delimited");
    const length = varint();
    (fields[Math.floor(tag / 8)] ??= []).push(bytes.subarray(offset, offset + length));
    offset += length;
  }
  return fields;
}

test("a CRX3 file: header, proof and signature as Chromium checks them", () => {
  const archive = zip([["manifest.json", Buffer.from("{}")]]);
  const crx = crx3(archive, keyPem);
  assert.equal(crx.subarray(0, 4).toString(), "Cr24");
  assert.equal(crx.readUInt32LE(4), 3);
  const headerSize = crx.readUInt32LE(8);
  const header = readFields(crx.subarray(12, 12 + headerSize));
  assert.deepEqual(crx.subarray(12 + headerSize), archive, "the archive follows the header unchanged");

  const [proof] = header[CRX3.fields.rsaProof];
  const { [CRX3.fields.publicKey]: [publicDer], [CRX3.fields.signature]: [signature] } = readFields(proof);
  assert.deepEqual(publicDer, publicKeyDer(keyPem));
  const [signedHeaderData] = header[CRX3.fields.signedHeaderData];
  const [crxId] = readFields(signedHeaderData)[CRX3.fields.crxId];
  assert.deepEqual(crxId, createHash("sha256").update(publicDer).digest().subarray(0, 16));

  const publicKey = createPublicKey({ key: publicDer, format: "der", type: "spki" });
  const cases = [
    ["the signed data as packed", crxSignedData(signedHeaderData, archive), true],
    ["another archive", crxSignedData(signedHeaderData, zip([["manifest.json", Buffer.from("[]")]])), false],
    ["the archive alone", archive, false],
  ];
  for (const [name, data, valid] of cases) assert.equal(verify("sha256", data, publicKey, signature), valid, name);
});

test("the extension ID: the key's SHA-256 in the letters a to p", () => {
  const cases = [
    // Chromium's own example: the ID of the empty key hashes to e3b0c442..., written a-p.
    [Buffer.alloc(0), "odlameecjipmbmbejkplpemijjgpljce"],
    [Buffer.from("norva"), extensionId(Buffer.from("norva"))],
  ];
  for (const [der, id] of cases) {
    assert.match(id, /^[a-p]{32}$/);
    assert.equal(extensionId(der), id);
  }
  assert.notEqual(extensionId(Buffer.from("a")), extensionId(Buffer.from("b")));
});

test("the zip reads back with unzip, byte for byte, and its CRCs hold", () => {
  const folder = mkdtempSync(join(tmpdir(), "norva-zip-"));
  try {
    const files = [
      ["manifest.json", Buffer.from('{"name":"x"}\n')],
      ["lib/norva.js", Buffer.from("export const a = 1;\n".repeat(500))],
      ["empty.txt", Buffer.alloc(0)],
      ["lib/שם.js", Buffer.from("// non-ASCII name\n")],
    ];
    const archivePath = join(folder, "x.zip");
    writeFileSync(archivePath, zip(files));
    execFileSync("unzip", ["-tq", archivePath]);
    assert.deepEqual(execFileSync("unzip", ["-Z1", archivePath], { encoding: "utf8", env: { ...process.env, LC_ALL: "C.UTF-8" } }).trim().split("\n"),
      files.map(([name]) => name));
    for (const [name, contents] of files) {
      assert.deepEqual(execFileSync("unzip", ["-p", archivePath, name]), contents, name);
    }
  } finally {
    rmSync(folder, { recursive: true, force: true });
  }
  assert.equal(crc32(Buffer.from("123456789")), 0xcbf43926, "the standard CRC-32 check value");
});

test("the packaged manifest: version, key and allow-list; bad input refused", () => {
  const source = {
    version: "0.0.1", key: "old", content_scripts: [{ matches: ["http://127.0.0.1/*"], js: ["content.js"] }],
  };
  const publicDer = publicKeyDer(keyPem);
  const cases = [
    [{ version: "1.2.3", origins: ["https://pay.example.com/*"] }, ["1.2.3", ["https://pay.example.com/*"]]],
    [{ version: "1.0.0", origins: ["https://*.example.com/*", "http://localhost/*"] },
      ["1.0.0", ["https://*.example.com/*", "http://localhost/*"]]],
    [{ version: "1.0.0", origins: ["http://127.0.0.1:8611/*"] }, /no port/],
    [{ version: "1.0.0", origins: ["file:///tmp/*"] }, /not a match pattern/],
    [{ version: "1.0.0", origins: ["https://pay.example.com"] }, /not a match pattern/],
    [{ version: "1.0.0", origins: [] }, /empty/],
    [{ version: "1.0.0-beta", origins: ["http://localhost/*"] }, /not an extension version/],
  ];
  for (const [options, expected] of cases) {
    const run = () => packagedManifest(source, { ...options, publicDer });
    if (expected instanceof RegExp) {
      assert.throws(run, expected, JSON.stringify(options));
      continue;
    }
    const manifest = run();
    assert.deepEqual([manifest.version, manifest.content_scripts[0].matches], expected);
    assert.equal(manifest.key, publicDer.toString("base64"));
    assert.deepEqual(manifest.content_scripts[0].js, ["content.js"]);
  }
  assert.equal(source.version, "0.0.1", "the source manifest is left as it was");
  assert.throws(() => checkOrigins(["javascript:alert(1)"]));
});

test("the update manifest names the app, version and codebase, escaped", () => {
  const xml = updateManifest({ id: "a".repeat(32), version: "1.0.0", codebase: "https://h/x.crx?a=1&b='2'" });
  assert.match(xml, /<app appid='a{32}'>/);
  assert.match(xml, /codebase='https:\/\/h\/x\.crx\?a=1&amp;b=&apos;2&apos;' version='1\.0\.0'/);
});
