// What the build makes of the extension: the packaged manifest, a zip archive, a CRX3 file
// signed with the extension's key, the update manifest and the ID the key gives.
// No third-party packer: the zip and the CRX3 header are written here, the signature is
// node:crypto's.
import { createHash, createPrivateKey, createPublicKey, sign } from "node:crypto";
import { readdirSync, readFileSync, statSync } from "node:fs";
import { join, relative, sep } from "node:path";
import { deflateRawSync } from "node:zlib";

// The extension's public key as DER (SubjectPublicKeyInfo): what the manifest's "key"
// carries and what the ID is made from.
export function publicKeyDer(privateKeyPem) {
  return createPublicKey(createPrivateKey(privateKeyPem)).export({ type: "spki", format: "der" });
}

// Chromium's ID for a key: the SHA-256 of the DER public key, its first 32 hex digits
// written with the letters a to p.
export function extensionId(publicDer) {
  return createHash("sha256")
    .update(publicDer)
    .digest("hex")
    .slice(0, 32)
    .replace(/./g, (digit) => String.fromCharCode(97 + parseInt(digit, 16)));
}

// A match pattern the browsers and the background's allow-list check both accept:
// http or https (or *), a host with an optional "*." prefix, no port, a path.
const MATCH_PATTERN = /^(\*|https?):\/\/(\*|(\*\.)?[A-Za-z0-9.-]+)\/[^\s]*$/;

export function checkOrigins(origins) {
  if (origins.length === 0) throw new Error("the allow-list is empty: give at least one match pattern");
  for (const origin of origins) {
    if (!MATCH_PATTERN.test(origin)) {
      throw new Error(`not a match pattern for a web page: "${origin}" (e.g. https://pay.example.com/*; no port)`);
    }
  }
  return origins;
}

// The manifest as packaged: this build's version, the signing key's public half, and the
// allow-list as every content script's "matches".
export function packagedManifest(source, { version, publicDer, origins }) {
  if (!/^\d+(\.\d+){0,3}$/.test(version)) throw new Error(`not an extension version: "${version}"`);
  const manifest = structuredClone(source);
  manifest.version = version;
  manifest.key = publicDer.toString("base64");
  manifest.content_scripts = (manifest.content_scripts ?? []).map((script) => ({ ...script, matches: checkOrigins(origins) }));
  return manifest;
}

// Every file under a folder, as [name inside the archive, contents], in name order so
// that the archive is the same from build to build.
export function folderFiles(folder) {
  const files = [];
  const walk = (dir) => {
    for (const entry of readdirSync(dir).sort()) {
      const path = join(dir, entry);
      if (statSync(path).isDirectory()) walk(path);
      else files.push([relative(folder, path).split(sep).join("/"), readFileSync(path)]);
    }
  };
  walk(folder);
  return files;
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

export function crc32(bytes) {
  let crc = 0xffffffff;
  for (const byte of bytes) crc = CRC_TABLE[(crc ^ byte) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// Zip record layouts (PKWARE APPNOTE 4.3.7, 4.3.12, 4.3.16), little-endian.
const LOCAL_HEADER = 0x04034b50;
const CENTRAL_HEADER = 0x02014b50;
const END_OF_CENTRAL = 0x06054b50;
const DEFLATED = 8;
const VERSION_NEEDED = 20;
const DOS_DATE_1980_01_01 = 0x21; // fixed times keep the archive reproducible
const UTF8_NAMES = 0x0800;
// Made on Unix, with the file's mode in the external attributes: unzip takes the names as
// they are (for MS-DOS archives it converts them from a code page) and sets modes 0644.
const MADE_ON_UNIX = (3 << 8) | VERSION_NEEDED;
const REGULAR_FILE_0644 = (0o100644 << 16) >>> 0;

function record(fields) {
  const buffer = Buffer.alloc(fields.reduce((size, [width]) => size + width, 0));
  let offset = 0;
  for (const [width, value] of fields) {
    if (width === 4) buffer.writeUInt32LE(value, offset);
    else buffer.writeUInt16LE(value, offset);
    offset += width;
  }
  return buffer;
}

// A zip archive of [name, contents] pairs, each entry deflated.
export function zip(files) {
  const locals = [];
  const centrals = [];
  let offset = 0;
  for (const [name, contents] of files) {
    const nameBytes = Buffer.from(name, "utf8");
    const packed = deflateRawSync(contents, { level: 9 });
    const crc = crc32(contents);
    const common = [
      [2, VERSION_NEEDED], [2, UTF8_NAMES], [2, DEFLATED], [2, 0], [2, DOS_DATE_1980_01_01],
      [4, crc], [4, packed.length], [4, contents.length], [2, nameBytes.length], [2, 0],
    ];
    const local = Buffer.concat([record([[4, LOCAL_HEADER], ...common]), nameBytes, packed]);
    centrals.push(Buffer.concat([
      record([[4, CENTRAL_HEADER], [2, MADE_ON_UNIX], ...common, [2, 0], [2, 0], [2, 0], [4, REGULAR_FILE_0644], [4, offset]]),
      nameBytes,
    ]));
    locals.push(local);
    offset += local.length;
  }
  const central = Buffer.concat(centrals);
  const end = record([
    [4, END_OF_CENTRAL], [2, 0], [2, 0], [2, files.length], [2, files.length],
    [4, central.length], [4, offset], [2, 0],
  ]);
  return Buffer.concat([...locals, central, end]);
}

// Protocol buffer encoding of the few fields the CRX3 header has: length-delimited bytes.
function varint(value) {
  const bytes = [];
  while (value > 0x7f) {
    bytes.push((value & 0x7f) | 0x80);
    value >>>= 7;
  }
  bytes.push(value);
  return Buffer.from(bytes);
}

function bytesField(number, value) {
  const LENGTH_DELIMITED = 2;
  return Buffer.concat([varint((number << 3) | LENGTH_DELIMITED), varint(value.length), value]);
}

// CRX3 (Chromium's components/crx_file/crx3.proto):
//   CrxFileHeader { repeated AsymmetricKeyProof sha256_with_rsa = 2; bytes signed_header_data = 10000; }
//   AsymmetricKeyProof { bytes public_key = 1; bytes signature = 2; }
//   SignedData { bytes crx_id = 1; }  (the first 16 bytes of the SHA-256 of the public key)
// The signature covers "CRX3 SignedData\0", the signed header data's length (32 bits,
// little-endian), the signed header data and the archive.
export const CRX3 = {
  magic: Buffer.from("Cr24"),
  version: 3,
  signatureContext: Buffer.from("CRX3 SignedData\0", "latin1"),
  fields: { rsaProof: 2, signedHeaderData: 10000, publicKey: 1, signature: 2, crxId: 1 },
};

export function crxSignedData(signedHeaderData, archive) {
  const length = Buffer.alloc(4);
  length.writeUInt32LE(signedHeaderData.length);
  return Buffer.concat([CRX3.signatureContext, length, signedHeaderData, archive]);
}

export function crx3(archive, privateKeyPem) {
  const publicDer = publicKeyDer(privateKeyPem);
  const crxId = createHash("sha256").update(publicDer).digest().subarray(0, 16);
  const signedHeaderData = bytesField(CRX3.fields.crxId, crxId);
  const signature = sign("sha256", crxSignedData(signedHeaderData, archive), createPrivateKey(privateKeyPem));
  const proof = Buffer.concat([bytesField(CRX3.fields.publicKey, publicDer), bytesField(CRX3.fields.signature, signature)]);
  const header = Buffer.concat([bytesField(CRX3.fields.rsaProof, proof), bytesField(CRX3.fields.signedHeaderData, signedHeaderData)]);
  const prefix = Buffer.alloc(12);
  CRX3.magic.copy(prefix, 0);
  prefix.writeUInt32LE(CRX3.version, 4);
  prefix.writeUInt32LE(header.length, 8);
  return Buffer.concat([prefix, header, archive]);
}

function xmlAttribute(text) {
  return text.replace(/&/g, "&amp;").replace(/'/g, "&apos;").replace(/</g, "&lt;");
}

// The update manifest Chromium-family browsers read from an update URL.
export function updateManifest({ id, version, codebase }) {
  return [
    "<?xml version='1.0' encoding='UTF-8'?>",
    "<gupdate xmlns='http://www.google.com/update2/response' protocol='2.0'>",
    `  <app appid='${id}'>`,
    `    <updatecheck codebase='${xmlAttribute(codebase)}' version='${version}' />`,
    "  </app>",
    "</gupdate>",
    "",
  ].join("\n");
}

// Managed deployment: Chromium, Chrome and Edge force-install from the update manifest;
// Firefox from the xpi.
export function policyTemplates({ id, geckoId, updateBase }) {
  const base = updateBase.replace(/\/*$/, "/");
  return {
    "chromium-policy.json": { ExtensionInstallForcelist: [`${id};${base}updates.xml`] },
    "firefox-policies.json": {
      policies: {
        ExtensionSettings: {
          [geckoId]: { installation_mode: "force_installed", install_url: `${base}norva-digital-id.xpi` },
        },
      },
    },
  };
}
