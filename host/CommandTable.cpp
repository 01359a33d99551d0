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
    std::string (*run)(CCommandCall&);
};

using P = Params;
using T = TokenCount;

// clang-format off
constexpr std::array<CommandRow, 22> kCommands = {{
    {"HostVersion",         P::Optional, T::No,        &RunHostVersion},
    {"FormatToken",         P::Required, T::No,        &RunFormatToken},
    {"InitPIN",             P::Required, T::First,     &RunInitPin},
    {"GenerateKeys",        P::Required, T::First,     &RunGenerateKeys},
    {"GenerateKeysCustom",  P::Required, T::First,     &RunGenerateKeysCustom},
    {"ChangePIN",           P::Optional, T::No,        &RunChangePin},
    {"SignData",            P::Optional, T::No,        &RunSignData},
    {"SignFile",            P::Optional, T::First,     &RunSignFile},
    {"SignFileData",        P::Optional, T::First,     &RunSignFileData},
    {"DecryptAndSignData",  P::Optional, T::First,     &RunDecryptAndSignData},
    {"CardType",            P::Optional, T::BeforeGet, &RunCardType},
    {"Company",             P::Optional, T::No,        &RunTextProperty<&IZentor::get_Company, &IZentor::put_Company>},
    {"FirstName",           P::Optional, T::No,        &RunTextProperty<&IZentor::get_FirstName, &IZentor::put_FirstName>},
    {"LastName",            P::Optional, T::No,        &RunTextProperty<&IZentor::get_LastName, &IZentor::put_LastName>},
    {"UserCode",            P::Optional, T::No,        &RunTextProperty<&IZentor::get_UserCode, &IZentor::put_UserCode>},
    {"UserID",              P::Optional, T::No,        &RunTextProperty<&IZentor::get_UserID, &IZentor::put_UserID>},
    {"TokensCount",         P::Optional, T::No,        &RunNumberGet<LONG, &IZentor::get_TokensCount>},
    {"NorvaEFTTokensCount", P::Optional, T::No,        &RunNumberGet<LONG, &IZentor::get_NorvaEFTTokensCount>},
    {"CreateTime",          P::Optional, T::No,        &RunTextGet<&IZentor::get_CreateTime>},
    {"DriversInstalled",    P::Optional, T::No,        &RunNumberGet<VARIANT_BOOL, &IZentor::get_DriversInstalled>},
    {"PublicKey",           P::Optional, T::No,        &RunTextGet<&IZentor::get_PublicKey>},
    {"FullFormatToken",     P::Required, T::No,        &RunFullFormatToken},
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

CommandResult DispatchCommand(IZentor& component, const std::string& func,
                              const Json::Value& params) {
    const CommandRow& row = FindCommand(func);
    if (row.params == P::Required && params.isNull()) {
        RaiseHostError(kParamsMissing);
    }
    CCommandCall call(component, params, ReadsTokenCount(row, params));
    std::string text = row.run(call);
    return {std::move(text), call.SignFileCanceled()};
}

} // namespace norva::host
