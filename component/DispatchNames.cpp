#include "component/DispatchNames.h"

#include <iterator>

namespace {

struct NameEntry {
    const char* name;
    DISPID id;
};

// Properties also answer to their get_ and put_ forms, read-only ones to get_ only.
constexpr NameEntry kNames[] = {
    {"FormatToken", 1},
    {"ChangePIN", 4},
    {"InitPIN", 5},
    {"GenerateKeys", 6},
    {"SignFile", 7},
    {"SignData", 8},
    {"FirstName", 9},
    {"get_FirstName", 9},
    {"put_FirstName", 9},
    {"LastName", 10},
    {"get_LastName", 10},
    {"put_LastName", 10},
    {"Company", 11},
    {"get_Company", 11},
    {"put_Company", 11},
    {"UserID", 12},
    {"get_UserID", 12},
    {"put_UserID", 12},
    {"CreateTime", 13},
    {"get_CreateTime", 13},
    {"UserCode", 14},
    {"get_UserCode", 14},
    {"put_UserCode", 14},
    {"LastZTError", 15},
    {"get_LastZTError", 15},
    {"PublicKey", 16},
    {"get_PublicKey", 16},
    {"TokensCount", 17},
    {"get_TokensCount", 17},
    {"NorvaEFTTokensCount", 18},
    {"get_NorvaEFTTokensCount", 18},
    {"DriversInstalled", 19},
    {"get_DriversInstalled", 19},
    {"PKCS11Error", 20},
    {"get_PKCS11Error", 20},
    {"CardType", 21},
    {"get_CardType", 21},
    {"put_CardType", 21},
    {"DecryptAndSignData", 22},
    {"SignFileCanceled", 23},
    {"get_SignFileCanceled", 23},
    {"SignFileData", 24},
    {"GenerateKeysCustom", 25},
    {"FullFormatToken", 26},
};
static_assert(std::size(kNames) == 44);

OLECHAR AsciiLower(OLECHAR c) {
    return c >= 'A' && c <= 'Z' ? static_cast<OLECHAR>(c - 'A' + 'a') : c;
}

bool SameName(const OLECHAR* name, const char* entry) {
    for (; *entry != 0; ++name, ++entry) {
        if (AsciiLower(*name) != AsciiLower(static_cast<OLECHAR>(*entry))) {
            return false;
        }
    }
    return *name == 0;
}

} // namespace

bool FindDispatchId(const OLECHAR* name, DISPID& id) {
    if (name == nullptr) {
        return false;
    }
    for (const NameEntry& entry : kNames) {
        if (SameName(name, entry.name)) {
            id = entry.id;
            return true;
        }
    }
    return false;
}
