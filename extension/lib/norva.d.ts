// Type declarations for norva.js, the page library of the Norva Digital ID extension.

export declare const TZentorError: Readonly<Record<number, string>>;
export declare const TPKCS11Error: Readonly<Record<number, string>>;
export declare function zentorErrorName(value: number): string;
export declare function pkcs11ErrorName(value: number): string;

/** The host's reply as it arrived. */
export interface HostReply {
  rc: string;
  result?: string;
  errMsg?: string;
  LastZTError?: number;
  PKCS11Error?: number;
  SignFileCanceled?: number;
}

/** What a command that ran resolves with. */
export interface Outcome {
  result: string;
  rc: "0";
  LastZTError: number;
  PKCS11Error: number;
  /** Names from TZentorError and TPKCS11Error, e.g. "ZTNoError", "ZT_CKR_OK". */
  LastZTErrorName: string;
  PKCS11ErrorName: string;
  /** Always false here: when the person declines a file, the call rejects with
   *  UserCancelledError instead. */
  SignFileCanceled: boolean;
  reply: HostReply;
}

export type TransportKind =
  | "BadRequest"
  | "RequestTooLarge"
  | "OriginRefused"
  | "HostNotInstalled"
  | "HostNotAllowed"
  | "HostExited"
  | "HostReplyUnreadable"
  | "HostFailed"
  | "ExtensionFailed"
  | "Timeout"
  | "Aborted";

export type HostErrorKind =
  | "ParamsMissing"
  | "ParamsInvalid"
  | "JsonParsingError"
  | "UnsupportedFunction"
  | "ComponentError"
  | "InternalHostError"
  | "UploadTooLarge"
  | "HostError";

export declare class NorvaError extends Error {
  /** The error's type in words: a TransportKind, a HostErrorKind, "ExtensionMissing",
   *  "UserCancelled", "ExtensionTooOld", "HostTooOld", or for a TokenError the TZentorError
   *  name. */
  kind: string;
  rc?: string;
  errMsg?: string;
  result?: string;
  LastZTError?: number;
  PKCS11Error?: number;
  LastZTErrorName?: string;
  PKCS11ErrorName?: string;
  SignFileCanceled?: boolean;
  reply?: HostReply;
}
export declare class ExtensionMissingError extends NorvaError {
  kind: "ExtensionMissing";
}
export declare class TransportError extends NorvaError {
  kind: TransportKind;
}
export declare class HostError extends NorvaError {
  kind: HostErrorKind;
  rc?: string;
  errMsg?: string;
}
export declare class TokenError extends NorvaError {
  rc: "0";
  result: string;
  LastZTError: number;
  PKCS11Error: number;
  LastZTErrorName: string;
  PKCS11ErrorName: string;
}
/** The person declined the file in the prompt ("SignFileCanceled" 1); nothing was signed. */
export declare class UserCancelledError extends NorvaError {
  kind: "UserCancelled";
  SignFileCanceled: true;
}
/** The upload's signatures would not fit in the browser's 1 MiB reply: nothing was shown to
 *  the person and nothing was signed. From the host (rc "711") `keyLength` is the token's key
 *  length; from the library's own check (too large for every key length) it is null. */
export declare class UploadTooLargeError extends HostError {
  kind: "UploadTooLarge";
  maxRecords: number;
  keyLength: number | null;
  /** The records counted, when the library refused the upload itself. */
  records?: number;
}
/** The extension or the host is older than this library needs. */
export declare class VersionError extends NorvaError {
  kind: "ExtensionTooOld" | "HostTooOld";
  version: string;
  minimum: string;
}

export interface CallOptions {
  /** Milliseconds the request may take, time waiting behind other requests included; at
   *  the deadline the extension stops the host and the call rejects with "Timeout".
   *  Default 120000; 600000 for SignFile and SignFileData, which wait for the person. */
  timeoutMs?: number;
  /** Aborting withdraws the request: the extension stops the host and the call rejects with
   *  "Aborted". */
  signal?: AbortSignal;
}

export interface Versions {
  library: string;
  extension: string | null;
  host: string | null;
  /** The pieces that did not answer; without the extension the host cannot be asked. */
  missing: Array<"extension" | "host">;
}

export declare const LIBRARY_VERSION: string;
export declare const MIN_EXTENSION_VERSION: string;
export declare const MIN_HOST_VERSION: string;
export declare const DEFAULT_DEADLINE_MS: number;
export declare const PERSON_DEADLINE_MS: number;

export declare function checkExtension(): Promise<string>;
export declare function isExtensionPresent(): Promise<boolean>;
export declare function status(): Promise<Versions>;
export declare function compareVersions(left: string, right: string): -1 | 0 | 1;
export declare function request(func: string, params?: Record<string, unknown> | null,
                                options?: CallOptions): Promise<Outcome>;

/** The most detail records whose signatures fit in the browser's reply for a key length
 *  in bits: 2043 for 2048, 4079 for 1024. */
export declare function maxRecords(keyBits: number): number;
/** The detail records the component signs in an upload content (lines that begin with "5"). */
export declare function countUploadRecords(content: string): number;

/** An RSA public key as WebCrypto imports it ("jwk"), from the PublicKey result. */
export interface RsaPublicJwk {
  kty: "RSA";
  n: string;
  e: "AQAB";
  alg: "RS256";
  ext: true;
}
export declare function publicKeyToJwk(publicKeyHex: string): RsaPublicJwk;
/** Hexadecimal text of the DER DigestInfo of the SHA-256 of `data`: what SignData must sign
 *  for a signature that RSASSA-PKCS1-v1_5 with SHA-256 verifies. */
export declare function sha256DigestInfo(data: string | BufferSource): Promise<string>;

/** The key length as the component takes it: "1" for 1024 bits, "2" for 2048 bits. */
export type KeyChoice = "1" | "2";

type Command<F> = (fields: F, options?: CallOptions) => Promise<Outcome>;
type NoFields = (fields?: Record<string, never>, options?: CallOptions) => Promise<Outcome>;
interface Property<T> {
  (): Promise<Outcome>;
  (fields: undefined, options: CallOptions): Promise<Outcome>;
  (fields: { newVal: T }, options?: CallOptions): Promise<Outcome>;
}

export declare const HostVersion: NoFields;
export declare const FormatToken: Command<{ SOPassword?: string }>;
export declare const InitPIN: Command<{ initPin?: string; SOPassword?: string }>;
export declare const GenerateKeys: Command<{ pin?: string }>;
export declare const GenerateKeysCustom: Command<{ pin?: string; keylength?: KeyChoice }>;
export declare const ChangePIN: Command<{ oldPin?: string; newPin?: string }>;
export declare const SignData: Command<{ pin?: string; rawData?: string; isConvertToBinary?: boolean }>;
export declare const SignFile: Command<{ pin?: string; fileName?: string; challenge?: string }>;
export declare const SignFileData: Command<{
  pin?: string; fileContent?: string; fileName?: string; challenge?: string;
}>;
export declare const DecryptAndSignData: Command<{
  pin?: string; rawData?: string; isConvertToBinary?: boolean;
}>;
export declare const CardType: Property<string | number>;
export declare const Company: Property<string>;
export declare const FirstName: Property<string>;
export declare const LastName: Property<string>;
export declare const UserCode: Property<string>;
export declare const UserID: Property<string>;
export declare const TokensCount: NoFields;
export declare const NorvaEFTTokensCount: NoFields;
export declare const CreateTime: NoFields;
export declare const DriversInstalled: NoFields;
export declare const PublicKey: NoFields;
export declare const FullFormatToken: Command<{
  initPin?: string; SOPassword?: string; userID?: string; firstName?: string;
  lastName?: string; keyLength?: KeyChoice;
}>;
