#include "tests/faults/SweepOperations.h"

#include "platform/OwnedVariant.h"

namespace faults {

OwnedBstr Text(const std::string& text) {
    std::u16string wide(text.begin(), text.end());
    return OwnedBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                       static_cast<UINT>(wide.size())));
}

namespace {

// LastZTError, read as the host reads it after every command (which also ends the session
// that signing leaves open).
int Last(CZentor& zentor) {
    TZentorError last = ZTNoError;
    zentor.get_LastZTError(&last);
    return last;
}

template <auto Get> int Count(CZentor& zentor, const Inputs&) {
    LONG count = -1;
    (zentor.*Get)(&count);
    Last(zentor);
    return count;
}

int DriversInstalled(CZentor& zentor, const Inputs&) {
    VARIANT_BOOL installed = 0;
    zentor.get_DriversInstalled(&installed);
    return installed;
}

template <auto Get> int GetText(CZentor& zentor, const Inputs&) {
    OwnedBstr text;
    (zentor.*Get)(text.Put());
    return Last(zentor);
}

template <auto Put> int PutText(CZentor& zentor, const Inputs&) {
    const OwnedBstr value = Text("Nitzan-Amsalem");
    (zentor.*Put)(value.Get());
    return Last(zentor);
}

int FormatToken(CZentor& zentor, const Inputs& in) {
    TZentorError result = ZTNoError;
    zentor.FormatToken(Text(in.soPin).Get(), &result);
    return Last(zentor);
}

int FullFormatToken(CZentor& zentor, const Inputs& in) {
    OwnedBstr key;
    zentor.FullFormatToken(Text("2580").Get(), Text(in.soPin).Get(), Text("300999888").Get(),
                           Text("Noa").Get(), Text("Peretz").Get(), Text("1").Get(), key.Put());
    return Last(zentor);
}

int InitPin(CZentor& zentor, const Inputs& in) {
    TZentorError result = ZTNoError;
    zentor.InitPIN(Text("592604").Get(), Text(in.soPin).Get(), &result);
    return Last(zentor);
}

int ChangePin(CZentor& zentor, const Inputs& in) {
    TZentorError result = ZTNoError;
    zentor.ChangePIN(Text(in.userPin).Get(), Text("4321").Get(), &result);
    return Last(zentor);
}

int GenerateKeys(CZentor& zentor, const Inputs& in) {
    TZentorError result = ZTNoError;
    zentor.GenerateKeys(Text(in.userPin).Get(), &result);
    return Last(zentor);
}

int GenerateKeysCustom(CZentor& zentor, const Inputs& in) {
    TZentorError result = ZTNoError;
    zentor.GenerateKeysCustom(Text(in.userPin).Get(), Text("1").Get(), &result);
    return Last(zentor);
}

template <bool decryptFirst> int SignData(CZentor& zentor, const Inputs& in) {
    OwnedVariant data;
    data.SetBstr(Text(decryptFirst ? in.cipherHex : "0A1B2C3D4E5F").Detach());
    OwnedBstr signature;
    (zentor.*(decryptFirst ? &CZentor::DecryptAndSignData : &CZentor::SignData))(
        Text(in.userPin).Get(), *data.Get(), 1, signature.Put());
    return Last(zentor);
}

int SignFileData(CZentor& zentor, const Inputs& in) {
    OwnedBstr signatures;
    zentor.SignFileData(Text(in.userPin).Get(), Text(in.uploadContent).Get(),
                        Text("upload.txt").Get(), Text("CH-7").Get(), signatures.Put());
    return Last(zentor);
}

int SignFile(CZentor& zentor, const Inputs& in) {
    OwnedBstr signatures;
    zentor.SignFile(Text(in.userPin).Get(), Text(in.uploadPath).Get(), Text("CH-7").Get(),
                    signatures.Put());
    return Last(zentor);
}

using Codes = std::vector<Allowed>;

Codes operator+(Codes a, const Codes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A token that cannot be found: the slot list, the slot or the token cannot be read, or the
// library could not be initialised.
Codes NoToken(std::vector<int> outcomes) {
    return {{"C_Initialize", outcomes},
            {"C_GetSlotList", outcomes},
            {"C_GetSlotInfo", outcomes},
            {"C_GetTokenInfo", outcomes}};
}

const Codes kSession = NoToken({1}) + Codes{{"C_OpenSession", {4}}};
const Codes kLogin = kSession + Codes{{"C_Login", {6}}};
const Codes kRecordRead =
    kSession +
    Codes{{"C_FindObjectsInit", {12}}, {"C_FindObjects", {11}}, {"C_GetAttributeValue", {16}}};
// A put whose read fails writes nothing and reports what its write's search would have.
const Codes kRecordReadBeforePut =
    kSession +
    Codes{{"C_FindObjectsInit", {9}}, {"C_FindObjects", {9}}, {"C_GetAttributeValue", {16}}};
const Codes kRecordWrite = kSession + Codes{{"C_FindObjectsInit", {9}},
                                            {"C_FindObjects", {9}},
                                            {"C_SetAttributeValue", {7}},
                                            {"C_CreateObject", {5}}};
const Codes kPublicKey =
    kSession +
    Codes{{"C_FindObjectsInit", {12}}, {"C_FindObjects", {11}}, {"C_GetAttributeValue", {20}}};
const Codes kKeyUse = kLogin + Codes{{"C_FindObjectsInit", {12}}, {"C_FindObjects", {11}}};
const Codes kSign = kKeyUse + Codes{{"C_SignInit", {23}}, {"C_Sign", {22}}};
const Codes kDecryptAndSign = kSign + Codes{{"C_DecryptInit", {31}}, {"C_Decrypt", {30}}};
// The digest of one record: its session (the selection of the public-key read may fail
// too, which only picks the digest by a key length of 0), the key read that chooses the
// algorithm (a 1024-bit key gives MD5 either way), the digest calls.
const Codes kDigest =
    NoToken({1, 0}) + Codes{{"C_OpenSession", {4}}, {"C_DigestInit", {22}}, {"C_Digest", {22}}};
const std::vector<Phase> kFileSigning = {
    {"C_Digest", kDigest}, {"C_Sign", kSign}, {"C_Digest", kDigest}, {"C_Sign", kSign}, {"", {}}};

// The device: no card, or a card whose holder data or key cannot be read, is no token.
Codes NoCard(std::vector<int> outcomes) {
    return {{"hl_on", outcomes},
            {"hl_is_media_available", outcomes},
            {"hl_get_user_data", outcomes},
            {"hl_get_special_user_data", outcomes},
            {"hl_get_public_key", outcomes}};
}
const Codes kCardLogin = NoCard({1}) + Codes{{"hl_logon", {6}}};
const Codes kCardHash = kCardLogin + Codes{{"hl_get_hash_alg_details", {22}},
                                           {"hl_init_hash", {22}},
                                           {"hl_cont_hash", {22}},
                                           {"hl_end_hash", {22}},
                                           {"hl_sign", {22}}};

// No token seen by the drivers (13), or none left when its slot is chosen (1).
const Codes kFormat = NoToken({13, 1}) + Codes{{"C_InitToken", {14}}};

const std::vector<Phase> kNameGet = {{"", kRecordRead}};
// A put reads the record, then writes it whole with the one field changed.
const std::vector<Phase> kNamePut = {{"C_GetAttributeValue", kRecordReadBeforePut},
                                     {"", kRecordWrite}};
const std::vector<Phase> kCardName = {{"", NoCard({1})}};

std::vector<Operation> MakeOperations() {
    using T = TFamily;
    const Codes keyPair = kLogin + Codes{{"C_GenerateKeyPair", {19}}};
    std::vector<Operation> rows = {
        {"TokensCount", T::Token, 0, &Count<&CZentor::get_TokensCount>, {{"", NoToken({0})}}},
        {"NorvaEFTTokensCount",
         T::Token,
         0,
         &Count<&CZentor::get_NorvaEFTTokensCount>,
         {{"", NoToken({0})}}},
        {"DriversInstalled", T::Token, 0, &DriversInstalled, {}},
        {"FormatToken",
         T::Token,
         0,
         &FormatToken,
         {{"C_InitToken", kFormat}, {"", {}}},
         TShape::StepsOfFormatting},
        {"FullFormatToken",
         T::Token,
         0,
         &FullFormatToken,
         {{"C_InitToken", kFormat},
          {"C_CreateObject", {}},
          {"C_InitPIN", kLogin + Codes{{"C_InitPIN", {18}}}},
          {"C_SetAttributeValue", {}},
          {"C_GenerateKeyPair", keyPair},
          {"C_GetAttributeValue", kPublicKey},
          {"", {}}},
         TShape::StepsOfFormatting},
        {"InitPIN",
         T::Token,
         1,
         &InitPin,
         {{"C_InitPIN", kLogin + Codes{{"C_InitPIN", {18}}}}, {"", {}}},
         TShape::PinBeforeRecord},
        // An expired old PIN lets the change go on in the session the login left.
        {"ChangePIN",
         T::Token,
         1,
         &ChangePin,
         {{"C_SetPIN", kLogin + Codes{{"C_SetPIN", {18}}, {"C_Login:expired", {0, 18}}}}, {"", {}}},
         TShape::PinBeforeRecord},
        {"GenerateKeys", T::Token, 1, &GenerateKeys, {{"C_GenerateKeyPair", keyPair}, {"", {}}}},
        {"GenerateKeysCustom",
         T::Token,
         1,
         &GenerateKeysCustom,
         {{"C_GenerateKeyPair", keyPair}, {"", {}}}},
        {"PublicKey", T::Token, 1, &GetText<&CZentor::get_PublicKey>, {{"", kPublicKey}}},
        {"SignData", T::Token, 1, &SignData<false>, {{"", kSign}}},
        {"DecryptAndSignData", T::Token, 1, &SignData<true>, {{"", kDecryptAndSign}}},
        {"SignFileData", T::Token, 1, &SignFileData, kFileSigning},
        {"SignFile", T::Token, 1, &SignFile, kFileSigning},
        {"get FirstName", T::Token, 1, &GetText<&CZentor::get_FirstName>, kNameGet},
        {"get LastName", T::Token, 1, &GetText<&CZentor::get_LastName>, kNameGet},
        {"get Company", T::Token, 1, &GetText<&CZentor::get_Company>, kNameGet},
        {"get UserID", T::Token, 1, &GetText<&CZentor::get_UserID>, kNameGet},
        {"get UserCode", T::Token, 1, &GetText<&CZentor::get_UserCode>, kNameGet},
        {"get CreateTime", T::Token, 1, &GetText<&CZentor::get_CreateTime>, kNameGet},
        {"put FirstName", T::Token, 1, &PutText<&CZentor::put_FirstName>, kNamePut},
        {"put LastName", T::Token, 1, &PutText<&CZentor::put_LastName>, kNamePut},
        {"put Company", T::Token, 1, &PutText<&CZentor::put_Company>, kNamePut},
        {"put UserID", T::Token, 1, &PutText<&CZentor::put_UserID>, kNamePut},
        {"put UserCode", T::Token, 1, &PutText<&CZentor::put_UserCode>, kNamePut},

        // The device: a card that cannot be read counts as absent (a reader that could
        // not describe its card makes the count look again, over all libraries).
        {"TokensCount", T::Device, 2, &Count<&CZentor::get_TokensCount>, {{"", NoCard({0, 1})}}},
        {"NorvaEFTTokensCount",
         T::Device,
         2,
         &Count<&CZentor::get_NorvaEFTTokensCount>,
         {{"", NoCard({0, 1})}}},
        // Refused for the device, and never logged on to with the officer's password.
        {"InitPIN", T::Device, 2, &InitPin, {{"", NoCard({1, 18})}}},
        {"GenerateKeys", T::Device, 2, &GenerateKeys, {{"", NoCard({1, 19})}}},
        // An expired PIN still lets the device change it.
        {"ChangePIN",
         T::Device,
         2,
         &ChangePin,
         {{"", kCardLogin + Codes{{"hl_change_password", {18}}, {"hl_logon:expired", {0}}}}}},
        {"PublicKey", T::Device, 2, &GetText<&CZentor::get_PublicKey>, kCardName},
        {"SignData", T::Device, 2, &SignData<false>, {{"", kCardHash}}},
        {"DecryptAndSignData",
         T::Device,
         2,
         &SignData<true>,
         {{"", kCardLogin + Codes{{"hl_RSA_decrypt", {30}}}}}},
        {"SignFileData", T::Device, 2, &SignFileData, {{"", kCardHash}}},
        {"SignFile", T::Device, 2, &SignFile, {{"", kCardHash}}},
        {"get FirstName", T::Device, 2, &GetText<&CZentor::get_FirstName>, kCardName},
        {"get CreateTime", T::Device, 2, &GetText<&CZentor::get_CreateTime>, kCardName},
        {"put Company", T::Device, 2, &PutText<&CZentor::put_Company>, kCardName},
    };
    return rows;
}

} // namespace

const std::vector<Operation>& SweepOperations() {
    static const std::vector<Operation> operations = MakeOperations();
    return operations;
}

std::string UploadContent() {
    const std::string header = "K" + std::string(105, 'H');
    return header + "\r\n5123456781234567890AB000000000001050XYZ\r\n" +
           "5765432109876543210CD000000001234567XYZ\r\n9" + std::string(20, 'T') + "\r\n";
}

} // namespace faults
