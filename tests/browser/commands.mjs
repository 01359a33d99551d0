// The commands run end to end on a virtual token, in order: page library, extension,
// NorvaHost, component, simulated driver. A row with `awaiting` is skipped until the
// component member behind it works; to add a command, drop `awaiting` and check `expect`.
//
// Row fields:
//   func    library function (named after the protocol command)
//   fields  its named fields; absent for a plain read
//   token   "blank" or "service": the token is set up so before the row runs
//   expect  { result } or { resultMatch }, and { error: kind } for a rejection; the
//           component codes are expected to be ZTNoError unless `zt` says otherwise
const PIN = "592604";
const SO_PIN = "87654321";

export const liveCommands = [
  { func: "HostVersion", expect: { result: "1.0.0.0" } },
  { func: "TokensCount", token: "blank", expect: { result: "1" } },
  { func: "NorvaEFTTokensCount", token: "blank", expect: { result: "0" } },
  { func: "DriversInstalled", expect: { result: "1" } },
  { func: "NorvaEFTTokensCount", token: "service", expect: { result: "1" } },
  { func: "CardType", expect: { result: "1" } },
  { func: "CardType", fields: { newVal: 3 }, expect: { result: "" } },

  { func: "FormatToken", fields: { SOPassword: SO_PIN }, expect: { result: "0" } },
  { func: "InitPIN", fields: { initPin: PIN, SOPassword: SO_PIN }, expect: { result: "0" } },
  { func: "ChangePIN", fields: { oldPin: PIN, newPin: PIN }, expect: { result: "0" } },
  { func: "ChangePIN", fields: { oldPin: "000000", newPin: PIN }, expect: { error: "ZTLoginFailed" } },
  { func: "GenerateKeys", fields: { pin: PIN }, expect: { result: "0" } },
  { func: "PublicKey", expect: { resultMatch: /^[0-9A-F]{512}$/ } },
  { func: "UserID", fields: { newVal: "300123456" }, expect: { result: "" } },
  { func: "FirstName", fields: { newVal: "Dana" }, expect: { result: "" } },
  { func: "LastName", fields: { newVal: "Levi" }, expect: { result: "" } },
  { func: "Company", fields: { newVal: "Trellmoor Payments" }, expect: { result: "" } },
  { func: "UserCode", fields: { newVal: "77" }, expect: { result: "" } },
  { func: "FirstName", expect: { result: "Dana" } },
  { func: "CreateTime", expect: { resultMatch: /^\d{14}$/ } },
  { func: "SignData", fields: { pin: PIN, rawData: "48656C6C6F", isConvertToBinary: true },
    expect: { resultMatch: /^[0-9A-F]{512}$/ } },
  { func: "SignData", fields: { pin: "000000", rawData: "00", isConvertToBinary: true },
    expect: { error: "ZTLoginFailed" } },
  { func: "DecryptAndSignData", fields: { pin: PIN, rawData: "00", isConvertToBinary: true },
    expect: { error: "ZTDecryptFailed" } },
  // A second pair would make the key search ambiguous: format first, then a 1024-bit pair.
  { func: "FormatToken", fields: { SOPassword: SO_PIN }, expect: { result: "0" } },
  { func: "InitPIN", fields: { initPin: PIN, SOPassword: SO_PIN }, expect: { result: "0" } },
  { func: "GenerateKeysCustom", fields: { pin: PIN, keylength: "1" }, expect: { result: "0" } },
  { func: "PublicKey", expect: { resultMatch: /^[0-9A-F]{256}$/ } },
  { func: "FullFormatToken", fields: { initPin: PIN, SOPassword: SO_PIN, userID: "300123456",
    firstName: "Dana", lastName: "Levi", keyLength: "2" }, expect: { resultMatch: /^[0-9A-F]{512}$/ } },
  { func: "LastName", expect: { result: "Levi" } },
];

// What the library sends for each command, as the host receives it.
export const wireRequests = [
  ["HostVersion", undefined, { func: "HostVersion" }],
  ["FormatToken", { SOPassword: SO_PIN }, { func: "FormatToken", params: { SOPassword: SO_PIN } }],
  ["FormatToken", {}, { func: "FormatToken", params: {} }],
  ["InitPIN", { initPin: PIN, SOPassword: SO_PIN }, { func: "InitPIN", params: { initPin: PIN, SOPassword: SO_PIN } }],
  ["GenerateKeys", { pin: PIN }, { func: "GenerateKeys", params: { pin: PIN } }],
  ["GenerateKeysCustom", { pin: PIN, keylength: "2" },
    { func: "GenerateKeysCustom", params: { pin: PIN, keylength: "2" } }],
  ["ChangePIN", { oldPin: "1111", newPin: "2222" }, { func: "ChangePIN", params: { oldPin: "1111", newPin: "2222" } }],
  ["SignData", { pin: PIN, rawData: "0A1B", isConvertToBinary: true },
    { func: "SignData", params: { pin: PIN, rawData: "0A1B", isConvertToBinary: true } }],
  ["SignFile", { pin: PIN, fileName: "C:\\upload\\pay.txt", challenge: "c1" },
    { func: "SignFile", params: { pin: PIN, fileName: "C:\\upload\\pay.txt", challenge: "c1" } }],
  ["SignFileData", { pin: PIN, fileContent: "1\r\n5\r\n", fileName: "pay.txt", challenge: "c2" },
    { func: "SignFileData", params: { pin: PIN, fileContent: "1\r\n5\r\n", fileName: "pay.txt", challenge: "c2" } }],
  ["DecryptAndSignData", { pin: PIN, rawData: "FF", isConvertToBinary: false },
    { func: "DecryptAndSignData", params: { pin: PIN, rawData: "FF", isConvertToBinary: false } }],
  ["CardType", undefined, { func: "CardType" }],
  ["CardType", { newVal: 2 }, { func: "CardType", params: { newVal: "2" } }],
  ["Company", undefined, { func: "Company" }],
  ["Company", { newVal: "Acme" }, { func: "Company", params: { newVal: "Acme" } }],
  ["FirstName", { newVal: "דנה" }, { func: "FirstName", params: { newVal: "דנה" } }],
  ["LastName", undefined, { func: "LastName" }],
  ["UserCode", { newVal: "12" }, { func: "UserCode", params: { newVal: "12" } }],
  ["UserID", undefined, { func: "UserID" }],
  ["TokensCount", undefined, { func: "TokensCount" }],
  ["NorvaEFTTokensCount", undefined, { func: "NorvaEFTTokensCount" }],
  ["CreateTime", undefined, { func: "CreateTime" }],
  ["DriversInstalled", undefined, { func: "DriversInstalled" }],
  ["PublicKey", undefined, { func: "PublicKey" }],
  ["FullFormatToken", { initPin: PIN, SOPassword: SO_PIN, userID: "1", firstName: "A", lastName: "B", keyLength: "1" },
    { func: "FullFormatToken",
      params: { initPin: PIN, SOPassword: SO_PIN, userID: "1", firstName: "A", lastName: "B", keyLength: "1" } }],
];

// Sets the virtual token up as a row needs it.
export function prepareToken(host, state) {
  const slot = host.firstSlot();
  if (state === "blank") {
    host.simctl("token", "new-token", slot);
  } else if (state === "service") {
    host.simctl("token", "init-token", slot, "--so-pin", SO_PIN, "--label", "Trellmoor", "--user-pin", PIN);
  }
}
