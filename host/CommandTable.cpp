#include "host/CommandTable.h"

#include "host/CommandHandlers.h"
#include "host/HostError.h"

#include <array>
#include <string_view>

namespace norva::host {

namespace {

enum class Params { Optional, Required };
// Whether NorvaEFTTokensCount is read (and dropped) before the main call.
enum class TokenCount { No, First, BeforeGet };

struct CommandRow {
    std::string_view func;
    Params params;
    TokenCount tokenCount;
    std::span<const ParamMember> members;
    std::string (*run)(CCommandCall&);
};

using P = Params;
using T = TokenCount;
using K = ParamKind;

constexpr ParamMember kSoPassword[] = {{"SOPassword", K::Text}};
constexpr ParamMember kInitPin[] = {{"initPin", K::Text}, {"SOPassword", K::Text}};
constexpr ParamMember kPin[] = {{"pin", K::Text}};
constexpr ParamMember kPinKeyLength[] = {{"pin", K::Text}, {"keylength", K::Text}};
constexpr ParamMember kPinChange[] = {{"oldPin", K::Text}, {"newPin", K::Text}};
constexpr ParamMember kDataSigning[] = {
    {"pin", K::Text}, {"rawData", K::RawData}, {"isConvertToBinary", K::Flag}};
constexpr ParamMember kFileSigning[] = {
    {"pin", K::Text}, {"fileName", K::Text}, {"challenge", K::Text}};
constexpr ParamMember kContentSigning[] = {
    {"pin", K::Text}, {"fileContent", K::Text}, {"fileName", K::Text}, {"challenge", K::Text}};
constexpr ParamMember kCardTypeValue[] = {{"newVal", K::CardType}};
constexpr ParamMember kTextValue[] = {{"newVal", K::Text}};
constexpr ParamMember kFullFormat[] = {{"initPin", K::Text},  {"SOPassword", K::Text},
                                       {"userID", K::Text},   {"firstName", K::Text},
                                       {"lastName", K::Text}, {"keyLength", K::Text}};
constexpr std::span<const ParamMember> kNoMembers;

// clang-format off
constexpr std::array<CommandRow, 22> kCommands = {{
    {"HostVersion",         P::Optional, T::No,        kNoMembers,      &RunHostVersion},
    {"FormatToken",         P::Required, T::No,        kSoPassword,     &RunFormatToken},
    {"InitPIN",             P::Required, T::First,     kInitPin,        &RunInitPin},
    {"GenerateKeys",        P::Required, T::First,     kPin,            &RunGenerateKeys},
    {"GenerateKeysCustom",  P::Required, T::First,     kPinKeyLength,   &RunGenerateKeysCustom},
    {"ChangePIN",           P::Optional, T::No,        kPinChange,      &RunChangePin},
    {"SignData",            P::Optional, T::No,        kDataSigning,    &RunSignData},
    {"SignFile",            P::Optional, T::First,     kFileSigning,    &RunSignFile},
    {"SignFileData",        P::Optional, T::First,     kContentSigning, &RunSignFileData},
    {"DecryptAndSignData",  P::Optional, T::First,     kDataSigning,    &RunDecryptAndSignData},
    {"CardType",            P::Optional, T::BeforeGet, kCardTypeValue,  &RunCardType},
    {"Company",             P::Optional, T::No,        kTextValue,      &RunTextProperty<&IZentor::get_Company, &IZentor::put_Company>},
    {"FirstName",           P::Optional, T::No,        kTextValue,      &RunTextProperty<&IZentor::get_FirstName, &IZentor::put_FirstName>},
    {"LastName",            P::Optional, T::No,        kTextValue,      &RunTextProperty<&IZentor::get_LastName, &IZentor::put_LastName>},
    {"UserCode",            P::Optional, T::No,        kTextValue,      &RunTextProperty<&IZentor::get_UserCode, &IZentor::put_UserCode>},
    {"UserID",              P::Optional, T::No,        kTextValue,      &RunTextProperty<&IZentor::get_UserID, &IZentor::put_UserID>},
    {"TokensCount",         P::Optional, T::No,        kNoMembers,      &RunNumberGet<LONG, &IZentor::get_TokensCount>},
    {"NorvaEFTTokensCount", P::Optional, T::No,        kNoMembers,      &RunNumberGet<LONG, &IZentor::get_NorvaEFTTokensCount>},
    {"CreateTime",          P::Optional, T::No,        kNoMembers,      &RunTextGet<&IZentor::get_CreateTime>},
    {"DriversInstalled",    P::Optional, T::No,        kNoMembers,      &RunNumberGet<VARIANT_BOOL, &IZentor::get_DriversInstalled>},
    {"PublicKey",           P::Optional, T::No,        kNoMembers,      &RunTextGet<&IZentor::get_PublicKey>},
    {"FullFormatToken",     P::Required, T::No,        kFullFormat,     &RunFullFormatToken},
}};
// clang-format on

const CommandRow& FindCommand(const std::string& func) {
    for (const CommandRow& row : kCommands) {
        if (row.func == func) {
            return row;
        }
    }
    RaiseHostError(kUnsupportedFunction);
}

bool ReadsTokenCount(const CommandRow& row, const Json::Value& params) {
    return row.tokenCount == T::First || (row.tokenCount == T::BeforeGet && params.isNull());
}

} // namespace

std::vector<CommandEntry> CommandEntries() {
    std::vector<CommandEntry> entries;
    for (const CommandRow& row : kCommands) {
        entries.push_back({row.func, row.params == P::Required, row.members});
    }
    return entries;
}

CommandResult DispatchCommand(IZentor& component, const std::string& func,
                              const Json::Value& params) {
    const CommandRow& row = FindCommand(func);
    if (row.params == P::Required && params.isNull()) {
        RaiseHostError(kParamsMissing);
    }
    CCommandCall call(component, params, row.members, ReadsTokenCount(row, params));
    std::string text = row.run(call);
    return {std::move(text), call.SignFileCanceled()};
}

} // namespace norva::host
