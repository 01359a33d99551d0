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
  /** True when the person cancelled SignFile or SignFileData in the prompt. */
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
  | "Timeout";

export type HostErrorKind =
  | "ParamsMissing"
  | "ParamsInvalid"
  | "JsonParsingError"
  | "UnsupportedFunction"
  | "ComponentError"
  | "InternalHostError"
  | "HostError";

export declare class NorvaError extends Error {
  /** The error's type in words: a TransportKind, a HostErrorKind, "ExtensionMissing", or
   *  for a TokenError the TZentorError name. */
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
  rc: string;
  errMsg: string;
}
export declare class TokenError extends NorvaError {
  rc: "0";
  result: string;
  LastZTError: number;
  PKCS11Error: number;
  LastZTErrorName: string;
  PKCS11ErrorName: string;
}

export interface CallOptions {
  /** Milliseconds to wait for the host; 0 waits without limit. Default 120000, and no
   *  limit for SignFile and SignFileData, which wait for the person's confirmation. */
  timeoutMs?: number;
}

export declare function checkExtension(): Promise<string>;
export declare function isExtensionPresent(): Promise<boolean>;
export declare function request(func: string, params?: Record<string, unknown> | null,
                                options?: CallOptions): Promise<Outcome>;

type Command<F> = (fields: F, options?: CallOptions) => Promise<Outcome>;
type NoFields = (fields?: Record<string, never>, options?: CallOptions) => Promise<Outcome>;
interface Property<T> {
  (): Promise<Outcome>;
  (fields: { newVal: T }, options?: CallOptions): Promise<Outcome>;
}

export declare const HostVersion: NoFields;
export declare const FormatToken: Command<{ SOPassword?: string }>;
export declare const InitPIN: Command<{ initPin?: string; SOPassword?: string }>;
export declare const GenerateKeys: Command<{ pin?: string }>;
export declare const GenerateKeysCustom: Command<{ pin?: string; keylength?: string }>;
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
  lastName?: string; keyLength?: string;
}>;
