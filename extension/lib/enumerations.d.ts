// The component's two enumerations, by value: names for the numbers in every reply.
export declare const TZentorError: Readonly<Record<number, string>>;
export declare const TPKCS11Error: Readonly<Record<number, string>>;
