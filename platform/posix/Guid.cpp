// GUID text form and parsing.
#include "platform/WinApi.h"

#include <string>

namespace {

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}": 38 characters.
constexpr int kGuidTextLength = 38;

void PutHex(char16_t*& out, uint32_t value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
        *out++ = kHexDigits[(value >> shift) & 0xF];
    }
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    return -1;
}

// Reads `digits` hexadecimal digits at text[pos], advancing pos.
bool ReadHex(const char16_t* text, int& pos, int digits, uint32_t& value) {
    value = 0;
    for (int i = 0; i < digits; ++i, ++pos) {
        const int digit = HexValue(text[pos]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

bool ReadDash(const char16_t* text, int& pos) {
    return text[pos++] == u'-';
}

bool ParseBracedGuid(const char16_t* text, GUID& guid) {
    int pos = 0;
    if (text[pos++] != u'{') {
        return false;
    }
    uint32_t d1 = 0, d2 = 0, d3 = 0, byte = 0;
    if (!ReadHex(text, pos, 8, d1) || !ReadDash(text, pos) || !ReadHex(text, pos, 4, d2) ||
        !ReadDash(text, pos) || !ReadHex(text, pos, 4, d3) || !ReadDash(text, pos)) {
        return false;
    }
    GUID parsed{d1, static_cast<uint16_t>(d2), static_cast<uint16_t>(d3), {}};
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !ReadDash(text, pos)) {
            return false;
        }
        if (!ReadHex(text, pos, 2, byte)) {
            return false;
        }
        parsed.Data4[i] = static_cast<uint8_t>(byte);
    }
    if (text[pos++] != u'}' || text[pos] != 0) {
        return false;
    }
    guid = parsed;
    return true;
}

} // namespace

int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax) {
    if (lpsz == nullptr || cchMax < kGuidTextLength + 1) {
        return 0;
    }
    char16_t* out = lpsz;
    *out++ = u'{';
    PutHex(out, rguid.Data1, 8);
    *out++ = u'-';
    PutHex(out, rguid.Data2, 4);
    *out++ = u'-';
    PutHex(out, rguid.Data3, 4);
    *out++ = u'-';
    for (int i = 0; i < 8; ++i) {
        if (i == 2) {
            *out++ = u'-';
        }
        PutHex(out, rguid.Data4[i], 2);
    }
    *out++ = u'}';
    *out = 0;
    return kGuidTextLength + 1;
}

HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
    if (lpiid == nullptr) {
        return E_INVALIDARG;
    }
    if (lpsz == nullptr) {
        *lpiid = GUID_NULL;
        return S_OK;
    }
    return ParseBracedGuid(lpsz, *lpiid) ? S_OK : E_INVALIDARG;
}

HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
    if (pclsid == nullptr) {
        return E_INVALIDARG;
    }
    if (lpsz == nullptr || *lpsz == 0) {
        *pclsid = GUID_NULL;
        return S_OK;
    }
    if (lpsz[0] == u'{') {
        return ParseBracedGuid(lpsz, *pclsid) ? S_OK : CO_E_CLASSSTRING;
    }
    return SUCCEEDED(CLSIDFromProgID(lpsz, pclsid)) ? S_OK : CO_E_CLASSSTRING;
}

HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid) {
    if (lpszProgID == nullptr || lpclsid == nullptr) {
        return E_INVALIDARG;
    }
    std::u16string keyName = lpszProgID;
    keyName += u"\\CLSID";
    char16_t text[64] = {};
    DWORD size = sizeof(text) - sizeof(char16_t);
    DWORD type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return CO_E_CLASSSTRING;
    }
    const LONG status =
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_SZ || !ParseBracedGuid(text, *lpclsid)) {
        return CO_E_CLASSSTRING;
    }
    return S_OK;
}
