// Page library for the Norva Digital ID extension: one function per NorvaHost command,
// named after it, taking the command's parameters as named fields.
//
//   import * as norva from "@norva/digital-id";
//   const { result } = await norva.NorvaEFTTokensCount();
//   await norva.SignData({ pin: "592604", rawData: "48656C6C6F", isConvertToBinary: true });
//
// Every call returns a promise: it resolves with the reply's result and the component's
// codes, or rejects with a NorvaError subclass that says what went wrong in words as well as
// numbers. Nothing throws synchronously; bad arguments are refused before anything is sent.
import { TPKCS11Error, TZentorError } from "./enumerations.js";

export { TPKCS11Error, TZentorError };

export const LIBRARY_VERSION = "1.0.0";
// The oldest extension and host this library works with.
export const MIN_EXTENSION_VERSION = "1.0.0";
export const MIN_HOST_VERSION = "1.0.0.0";

const CHANNEL = "norva-digital-id";
const PRESENCE_TIMEOUT_MS = 1000;
// The extension enforces the deadline and stops the host; the page waits this much longer
// for its answer before it gives up on the extension as well.
const ANSWER_GRACE_MS = 5000;

export const DEFAULT_DEADLINE_MS = 120 * 1000;
export const PERSON_DEADLINE_MS = 10 * 60 * 1000;
const MAX_DEADLINE_MS = 2147483647 - ANSWER_GRACE_MS;

// Browsers drop a host reply over 1 MiB. A file-signing reply holds one signature per
// detail record, keyBits / 4 hex digits each, joined by "|", plus a fixed part of at most
// 128 bytes: this many records fit.
const BROWSER_REPLY_LIMIT = 1024 * 1024;
const REPLY_FIXED_PART = 128;
export function maxRecords(keyBits) {
  return Math.floor((BROWSER_REPLY_LIMIT - REPLY_FIXED_PART + 1) / (keyBits / 4 + 1));
}

export function zentorErrorName(value) {
  return TZentorError[value] ?? `TZentorError ${value}`;
}

export function pkcs11ErrorName(value) {
  // Vendor codes arrive as negative numbers (the reply's signed 32-bit form).
  return TPKCS11Error[value] ?? `CK_RV 0x${(value >>> 0).toString(16).toUpperCase()}`;
}

export class NorvaError extends Error {
  constructor(kind, message, fields = {}) {
    super(message);
    this.name = new.target.name;
    this.kind = kind;
    Object.assign(this, fields);
  }
}

// The extension is not installed, is disabled, or does not serve this page's origin.
export class ExtensionMissingError extends NorvaError {}
// The request was refused before it reached the host, or got no reply from it.
export class TransportError extends NorvaError {}
// NorvaHost answered with one of its own error codes ("705" to "711").
export class HostError extends NorvaError {}
// The command ran, but the component reports a failure in LastZTError.
export class TokenError extends NorvaError {}
// The person declined the file in the prompt; nothing was signed.
export class UserCancelledError extends NorvaError {}
// The upload's signatures would not fit in the browser's reply; nothing was shown or signed.
export class UploadTooLargeError extends HostError {}
// The extension or the host is older than this library needs.
export class VersionError extends NorvaError {}

const hostErrorKinds = {
  705: "ParamsMissing",
  706: "ParamsInvalid",
  707: "JsonParsingError",
  708: "UnsupportedFunction",
  709: "ComponentError",
  710: "InternalHostError",
  711: "UploadTooLarge",
};

function badRequest(message) {
  return new TransportError("BadRequest", message);
}

let nextId = 1;

// Posts one message to the content script and settles with its answer. The abort signal,
// when given, withdraws the request: the extension then stops the host.
function exchange(message, waitMs, onTimeout, signal) {
  const id = `${Date.now()}-${nextId++}`;
  return new Promise((resolve, reject) => {
    const done = () => {
      window.removeEventListener("message", listener);
      clearTimeout(timer);
      signal?.removeEventListener("abort", onAbort);
    };
    const listener = (event) => {
      const data = event.data;
      if (event.source !== window || data?.channel !== CHANNEL || data.type !== "answer" ||
          data.id !== id) {
        return;
      }
      done();
      resolve(data);
    };
    const onAbort = () => {
      done();
      window.postMessage({ channel: CHANNEL, type: "abort", id }, window.location.origin);
      reject(new TransportError("Aborted", "The request was aborted; the host was stopped."));
    };
    const timer = setTimeout(() => {
      done();
      reject(onTimeout());
    }, waitMs);
    window.addEventListener("message", listener);
    signal?.addEventListener("abort", onAbort);
    try {
      window.postMessage({ channel: CHANNEL, ...message, id }, window.location.origin);
    } catch (error) {
      done();
      reject(badRequest(`The request cannot be sent: ${error.message}`));
    }
  });
}

function missingExtension() {
  return new ExtensionMissingError("ExtensionMissing",
    `The Norva Digital ID extension is not installed or enabled, or does not serve this site (${window.location.origin}).`);
}

// Compares dotted version numbers part by part; missing parts count as 0.
export function compareVersions(left, right) {
  const a = String(left).split(".").map(Number);
  const b = String(right).split(".").map(Number);
  for (let i = 0; i < Math.max(a.length, b.length); i++) {
    const difference = (a[i] ?? 0) - (b[i] ?? 0);
    if (difference !== 0) return Math.sign(difference);
  }
  return 0;
}

function requireVersion(what, version, minimum) {
  if (compareVersions(version, minimum) < 0) {
    throw new VersionError(`${what}TooOld`,
      `The ${what === "Extension" ? "extension" : "host"} is version ${version}; this library needs ${minimum} or later.`,
      { version, minimum });
  }
}

// Resolves with the extension's version, or rejects with ExtensionMissingError.
export async function checkExtension() {
  const answer = await exchange({ type: "ping" }, PRESENCE_TIMEOUT_MS, missingExtension);
  return answer.version;
}

export async function isExtensionPresent() {
  try {
    await checkExtension();
    return true;
  } catch {
    return false;
  }
}

// The three versions a page works with. Resolves with { library, extension, host, missing }
// (a missing piece is null and named in `missing`), or rejects with VersionError when the
// extension or the host is older than this library needs.
export async function status() {
  const versions = { library: LIBRARY_VERSION, extension: null, host: null, missing: [] };
  try {
    versions.extension = await checkExtension();
  } catch {
    versions.missing.push("extension", "host");
    return versions;
  }
  requireVersion("Extension", versions.extension, MIN_EXTENSION_VERSION);
  try {
    versions.host = (await send("HostVersion", undefined, {})).result;
  } catch (error) {
    if (!(error instanceof TransportError && error.kind === "HostNotInstalled")) throw error;
    versions.missing.push("host");
    return versions;
  }
  requireVersion("Host", versions.host, MIN_HOST_VERSION);
  return versions;
}

function outcomeOf(reply) {
  if (typeof reply !== "object" || reply === null || typeof reply.rc !== "string") {
    throw new TransportError("HostReplyUnreadable", "NorvaHost's reply is not a protocol reply.", { reply });
  }
  if (reply.rc === "711") {
    throw new UploadTooLargeError("UploadTooLarge",
      `The upload has more than ${reply.maxRecords} detail records, the most whose signatures fit in the browser's reply with a ${reply.keyLength}-bit key.`,
      { rc: reply.rc, errMsg: reply.errMsg, maxRecords: reply.maxRecords, keyLength: reply.keyLength, reply });
  }
  if (reply.rc !== "0") {
    const kind = hostErrorKinds[reply.rc] ?? "HostError";
    throw new HostError(kind, `NorvaHost error ${reply.rc}: ${reply.errMsg}`,
                        { rc: reply.rc, errMsg: reply.errMsg, reply });
  }
  const outcome = {
    result: reply.result,
    rc: reply.rc,
    LastZTError: reply.LastZTError,
    PKCS11Error: reply.PKCS11Error,
    LastZTErrorName: zentorErrorName(reply.LastZTError),
    PKCS11ErrorName: pkcs11ErrorName(reply.PKCS11Error),
    SignFileCanceled: reply.SignFileCanceled === 1,
    reply,
  };
  const { reply: _, ...fields } = outcome;
  if (outcome.SignFileCanceled) {
    throw new UserCancelledError("UserCancelled", "The file was not signed: the person declined it.",
                                 { ...fields, reply });
  }
  if (outcome.LastZTError !== 0) {
    throw new TokenError(outcome.LastZTErrorName,
      `${outcome.LastZTErrorName} (${outcome.LastZTError}), PKCS#11 ${outcome.PKCS11ErrorName}`,
      { ...fields, reply });
  }
  return outcome;
}

function optionsProblem(options) {
  if (typeof options !== "object" || options === null || Array.isArray(options)) {
    return "The options must be an object.";
  }
  const unknown = Object.keys(options).filter((key) => !["timeoutMs", "signal"].includes(key));
  if (unknown.length > 0) {
    return `Unknown options: ${unknown.join(", ")}.`;
  }
  const { timeoutMs, signal } = options;
  if (timeoutMs !== undefined &&
      !(typeof timeoutMs === "number" && Number.isFinite(timeoutMs) && timeoutMs > 0 && timeoutMs <= MAX_DEADLINE_MS)) {
    return `timeoutMs must be a number of milliseconds from 1 to ${MAX_DEADLINE_MS}.`;
  }
  if (signal !== undefined && !(typeof AbortSignal !== "undefined" && signal instanceof AbortSignal)) {
    return "signal must be an AbortSignal.";
  }
  return null;
}

function defaultDeadline(func) {
  return ["SignFile", "SignFileData"].includes(func) ? PERSON_DEADLINE_MS : DEFAULT_DEADLINE_MS;
}

async function send(func, params, options) {
  const version = await checkExtension();
  requireVersion("Extension", version, MIN_EXTENSION_VERSION);
  const deadlineMs = options.timeoutMs ?? defaultDeadline(func);
  if (options.signal?.aborted) {
    throw new TransportError("Aborted", "The request was aborted before it was sent.");
  }
  const envelope = params === undefined ? { func } : { func, params };
  const answer = await exchange({ type: "request", request: envelope, deadlineMs },
    deadlineMs + ANSWER_GRACE_MS,
    () => new TransportError("Timeout", `The extension did not answer "${func}" within ${deadlineMs} ms.`),
    options.signal);
  if (answer.error) {
    const { type, message } = answer.error;
    throw new TransportError(type, message);
  }
  return outcomeOf(answer.reply);
}

// Sends one request envelope as it stands and settles with its outcome. Options:
// { timeoutMs, signal }: the deadline (default 120 s, 10 minutes for SignFile and
// SignFileData) and an AbortSignal that withdraws the request.
export async function request(func, params, options = {}) {
  const problem = optionsProblem(options);
  if (problem) throw badRequest(problem);
  return send(func, params, options);
}

// Field kinds. Text travels to the token and comes back in replies that browsers must be
// able to parse, so it may hold no control character; an upload's content holds its own
// line ends (CR and LF) and nothing else below 0x20.
const controlCharacter = /[\u0000-\u001f]/;
const controlOtherThanLineEnds = /[\u0000-\u0009\u000b\u000c\u000e-\u001f]/;

const kinds = {
  text: (value) => typeof value !== "string" ? "a string"
    : controlCharacter.test(value) ? "text without control characters" : null,
  content: (value) => typeof value !== "string" ? "a string"
    : controlOtherThanLineEnds.test(value) ? "text with no control characters other than CR and LF" : null,
  raw: (value) => typeof value === "string" ? null : "a string",
  flag: (value) => typeof value === "boolean" ? null : "true or false",
  // The component reads "2" as 2048 bits and anything else as 1024: "2048" would quietly
  // give a 1024-bit key, so only the two choices pass.
  keyChoice: (value) => value === "1" || value === "2" ? null : '"1" (1024 bits) or "2" (2048 bits)',
  cardType: (value) => (typeof value === "number" && Number.isInteger(value)) ||
    (typeof value === "string" && /^\d+$/.test(value)) ? null : "a whole number",
};

function fieldsProblem(func, fields, fieldKinds) {
  if (typeof fields !== "object" || fields === null || Array.isArray(fields)) {
    return `${func} takes its fields as an object.`;
  }
  for (const [key, value] of Object.entries(fields)) {
    const kind = fieldKinds[key];
    if (!kind) {
      const known = Object.keys(fieldKinds);
      return `${func} takes ${known.join(", ") || "no fields"}, not ${key}.`;
    }
    const expected = kinds[kind](value);
    if (expected) {
      return `${func}: ${key} must be ${expected}.`;
    }
  }
  return null;
}

// A command with named fields; `fieldKinds` maps each field to its kind (note "keylength" for
// GenerateKeysCustom but "keyLength" for FullFormatToken).
function method(func, fieldKinds, { paramsRequired = false } = {}) {
  const takesFields = Object.keys(fieldKinds).length > 0;
  return async (fields = takesFields ? undefined : {}, options = {}) => {
    const problem = fieldsProblem(func, fields, fieldKinds) ?? optionsProblem(options);
    if (problem) throw badRequest(problem);
    if (func === "SignFileData" && fields.fileContent !== undefined) {
      checkUploadSize(fields.fileContent);
    }
    const params = takesFields || paramsRequired ? { ...fields } : undefined;
    return send(func, params, options);
  };
}

// A property is read when called without fields and written with { newVal }.
function property(func, kind) {
  return async (fields, options = {}) => {
    const problem = optionsProblem(options) ??
      (fields === undefined ? null : fieldsProblem(func, fields, { newVal: kind }) ??
        (!("newVal" in fields) ? `${func} is read with no fields and written with { newVal }.` : null));
    if (problem) throw badRequest(problem);
    if (fields === undefined) return send(func, undefined, options);
    return send(func, { newVal: String(fields.newVal) }, options);
  };
}

// The detail records an upload content holds, counted by the component's line rules: a CR
// ends a line and the character after it is dropped unread (the LF of a CR LF pair), an LF
// alone ends a line, and a line whose first character is "5" is a detail record.
export function countUploadRecords(content) {
  const characters = Array.from(String(content));
  let records = 0;
  let lineStart = true;
  for (let i = 0; i < characters.length; i++) {
    const character = characters[i];
    if (lineStart && character === "5") records++;
    lineStart = false;
    if (character === "\r") {
      i++;
      lineStart = true;
    } else if (character === "\n") {
      lineStart = true;
    }
  }
  return records;
}

// Content too large for every key length is refused here; the host refuses content too large
// for the token's own key before it shows the prompt.
function checkUploadSize(content) {
  const limit = maxRecords(1024);
  const records = countUploadRecords(content);
  if (records > limit) {
    throw new UploadTooLargeError("UploadTooLarge",
      `The upload has ${records} detail records; at most ${limit} fit in the browser's reply with any key.`,
      { maxRecords: limit, keyLength: null, records });
  }
}

function bytesFromHex(hex) {
  if (typeof hex !== "string" || hex.length === 0 || hex.length % 2 !== 0 || !/^[0-9A-Fa-f]+$/.test(hex)) {
    throw badRequest("Expected hexadecimal text with two digits per byte.");
  }
  return Uint8Array.from(hex.match(/../g), (pair) => parseInt(pair, 16));
}

function base64url(bytes) {
  let binary = "";
  for (const byte of bytes) binary += String.fromCharCode(byte);
  return btoa(binary).replace(/\+/g, "-").replace(/\//g, "_").replace(/=+$/, "");
}

// The public-key text (the modulus in hexadecimal, as PublicKey returns it) as a JSON Web Key
// for WebCrypto's RSASSA-PKCS1-v1_5 with SHA-256; the token's keys use the exponent 65537.
export function publicKeyToJwk(publicKeyHex) {
  let modulus = bytesFromHex(publicKeyHex);
  let first = 0;
  while (first < modulus.length - 1 && modulus[first] === 0) first++;
  modulus = modulus.subarray(first);
  return { kty: "RSA", n: base64url(modulus), e: "AQAB", alg: "RS256", ext: true };
}

// SignData signs the bytes it is given with PKCS #1 v1.5 padding and hashes nothing. For a
// signature that WebCrypto (RSASSA-PKCS1-v1_5, SHA-256) and OpenSSL verify, sign this: the
// DER DigestInfo of the data's SHA-256 digest, as hexadecimal text (isConvertToBinary: true).
const SHA256_DIGEST_INFO_PREFIX = "3031300D060960864801650304020105000420";
export async function sha256DigestInfo(data) {
  const bytes = typeof data === "string" ? new TextEncoder().encode(data) : data;
  const digest = new Uint8Array(await crypto.subtle.digest("SHA-256", bytes));
  return SHA256_DIGEST_INFO_PREFIX + Array.from(digest, (byte) => byte.toString(16).padStart(2, "0")).join("").toUpperCase();
}

export const HostVersion = method("HostVersion", {});
export const FormatToken = method("FormatToken", { SOPassword: "text" }, { paramsRequired: true });
export const InitPIN = method("InitPIN", { initPin: "text", SOPassword: "text" }, { paramsRequired: true });
export const GenerateKeys = method("GenerateKeys", { pin: "text" }, { paramsRequired: true });
export const GenerateKeysCustom = method("GenerateKeysCustom", { pin: "text", keylength: "keyChoice" }, { paramsRequired: true });
export const ChangePIN = method("ChangePIN", { oldPin: "text", newPin: "text" });
export const SignData = method("SignData", { pin: "text", rawData: "raw", isConvertToBinary: "flag" });
export const SignFile = method("SignFile", { pin: "text", fileName: "text", challenge: "text" });
export const SignFileData = method("SignFileData",
  { pin: "text", fileContent: "content", fileName: "text", challenge: "text" });
export const DecryptAndSignData = method("DecryptAndSignData", { pin: "text", rawData: "raw", isConvertToBinary: "flag" });
export const CardType = property("CardType", "cardType");
export const Company = property("Company", "text");
export const FirstName = property("FirstName", "text");
export const LastName = property("LastName", "text");
export const UserCode = property("UserCode", "text");
export const UserID = property("UserID", "text");
export const TokensCount = method("TokensCount", {});
export const NorvaEFTTokensCount = method("NorvaEFTTokensCount", {});
export const CreateTime = method("CreateTime", {});
export const DriversInstalled = method("DriversInstalled", {});
export const PublicKey = method("PublicKey", {});
export const FullFormatToken = method("FullFormatToken", {
  initPin: "text", SOPassword: "text", userID: "text", firstName: "text", lastName: "text", keyLength: "keyChoice",
}, { paramsRequired: true });
