// Page library for the Norva Digital ID extension: one function per NorvaHost command,
// named after it, taking the command's parameters as named fields.
//
//   import * as norva from "./norva.js";
//   const { result } = await norva.NorvaEFTTokensCount();
//   await norva.SignData({ pin: "592604", rawData: "48656C6C6F", isConvertToBinary: true });
//
// Every call resolves with the reply's result and the component's codes, or rejects with a
// NorvaError subclass that says what went wrong in words as well as numbers.
import { TPKCS11Error, TZentorError } from "./enumerations.js";

export { TPKCS11Error, TZentorError };

const CHANNEL = "norva-digital-id";
const PRESENCE_TIMEOUT_MS = 1000;
const DEFAULT_TIMEOUT_MS = 120000;

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
// The extension refused the request or could not get an answer from NorvaHost.
export class TransportError extends NorvaError {}
// NorvaHost answered with one of its own error codes ("705" to "710").
export class HostError extends NorvaError {}
// The command ran, but the component reports a failure in LastZTError.
export class TokenError extends NorvaError {}

const hostErrorKinds = {
  705: "ParamsMissing",
  706: "ParamsInvalid",
  707: "JsonParsingError",
  708: "UnsupportedFunction",
  709: "ComponentError",
  710: "InternalHostError",
};

let nextId = 1;

function exchange(message, timeoutMs, onTimeout) {
  const id = `${Date.now()}-${nextId++}`;
  return new Promise((resolve, reject) => {
    let timer = null;
    const listener = (event) => {
      const data = event.data;
      if (event.source !== window || data?.channel !== CHANNEL || data.type !== "answer" ||
          data.id !== id) {
        return;
      }
      window.removeEventListener("message", listener);
      clearTimeout(timer);
      resolve(data);
    };
    window.addEventListener("message", listener);
    if (timeoutMs > 0) {
      timer = setTimeout(() => {
        window.removeEventListener("message", listener);
        reject(onTimeout());
      }, timeoutMs);
    }
    try {
      window.postMessage({ channel: CHANNEL, ...message, id }, window.location.origin);
    } catch (error) {
      window.removeEventListener("message", listener);
      clearTimeout(timer);
      reject(new TransportError("BadRequest", `The request cannot be sent: ${error.message}`));
    }
  });
}

function missingExtension() {
  return new ExtensionMissingError("ExtensionMissing",
    `The Norva Digital ID extension is not installed or enabled, or does not serve this site (${window.location.origin}).`);
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

function outcomeOf(reply) {
  if (typeof reply !== "object" || reply === null || typeof reply.rc !== "string") {
    throw new TransportError("HostReplyUnreadable", "NorvaHost's reply is not a protocol reply.", { reply });
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
  if (outcome.LastZTError !== 0) {
    const { reply: _, ...fields } = outcome;
    throw new TokenError(outcome.LastZTErrorName,
      `${outcome.LastZTErrorName} (${outcome.LastZTError}), PKCS#11 ${outcome.PKCS11ErrorName}`,
      { ...fields, reply });
  }
  return outcome;
}

// Sends one request envelope as it stands and settles with its outcome.
export async function request(func, params, { timeoutMs = DEFAULT_TIMEOUT_MS } = {}) {
  await checkExtension();
  const envelope = params === undefined ? { func } : { func, params };
  const answer = await exchange({ type: "request", request: envelope }, timeoutMs, () =>
    new TransportError("Timeout", `NorvaHost did not answer "${func}" within ${timeoutMs} ms.`));
  if (answer.error) {
    const { type, message } = answer.error;
    throw new TransportError(type, message);
  }
  return outcomeOf(answer.reply);
}

// Which fields each command takes; a field the command does not know is a caller's
// mistake (note "keylength" for GenerateKeysCustom but "keyLength" for FullFormatToken).
function method(func, keys, options = {}) {
  return (fields = {}, callOptions = {}) => {
    const unknown = Object.keys(fields).filter((key) => !keys.includes(key));
    if (unknown.length > 0) {
      return Promise.reject(new TypeError(`${func} takes ${keys.join(", ") || "no fields"}, not ${unknown.join(", ")}`));
    }
    const params = keys.length === 0 && !options.paramsRequired ? undefined : { ...fields };
    return request(func, params, { timeoutMs: options.timeoutMs, ...callOptions });
  };
}

// A property is read when called without fields and written with { newVal }.
function property(func) {
  return (fields, callOptions = {}) => {
    if (fields === undefined) {
      return request(func, undefined, callOptions);
    }
    if (!("newVal" in fields) || Object.keys(fields).length !== 1) {
      return Promise.reject(new TypeError(`${func} is read with no fields and written with { newVal }`));
    }
    return request(func, { newVal: String(fields.newVal) }, callOptions);
  };
}

// Signing a file waits for the person to confirm it, so it has no time limit.
const waitsForPerson = { timeoutMs: 0 };

export const HostVersion = method("HostVersion", []);
export const FormatToken = method("FormatToken", ["SOPassword"], { paramsRequired: true });
export const InitPIN = method("InitPIN", ["initPin", "SOPassword"], { paramsRequired: true });
export const GenerateKeys = method("GenerateKeys", ["pin"], { paramsRequired: true });
export const GenerateKeysCustom = method("GenerateKeysCustom", ["pin", "keylength"], { paramsRequired: true });
export const ChangePIN = method("ChangePIN", ["oldPin", "newPin"]);
export const SignData = method("SignData", ["pin", "rawData", "isConvertToBinary"]);
export const SignFile = method("SignFile", ["pin", "fileName", "challenge"], waitsForPerson);
export const SignFileData = method("SignFileData", ["pin", "fileContent", "fileName", "challenge"], waitsForPerson);
export const DecryptAndSignData = method("DecryptAndSignData", ["pin", "rawData", "isConvertToBinary"]);
export const CardType = property("CardType");
export const Company = property("Company");
export const FirstName = property("FirstName");
export const LastName = property("LastName");
export const UserCode = property("UserCode");
export const UserID = property("UserID");
export const TokensCount = method("TokensCount", []);
export const NorvaEFTTokensCount = method("NorvaEFTTokensCount", []);
export const CreateTime = method("CreateTime", []);
export const DriversInstalled = method("DriversInstalled", []);
export const PublicKey = method("PublicKey", []);
export const FullFormatToken = method("FullFormatToken",
  ["initPin", "SOPassword", "userID", "firstName", "lastName", "keyLength"], { paramsRequired: true });
