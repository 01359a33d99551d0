// GUIDs and the interface identifiers the system uses, with their Windows values.
#pragma once

#include "platform/posix/WinTypes.h"

typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
typedef GUID IID;
typedef GUID CLSID;
typedef GUID* LPGUID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool InlineIsEqualGUID(REFGUID a, REFGUID b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.Data4[i] != b.Data4[i]) {
            return false;
        }
    }
    return true;
}
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
    return InlineIsEqualGUID(a, b);
}
inline bool IsEqualIID(REFIID a, REFIID b) {
    return InlineIsEqualGUID(a, b);
}
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) {
    return InlineIsEqualGUID(a, b);
}
inline bool operator==(REFGUID a, REFGUID b) {
    return InlineIsEqualGUID(a, b);
}
inline bool operator!=(REFGUID a, REFGUID b) {
    return !InlineIsEqualGUID(a, b);
}

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// COM's own interfaces share the suffix C000-000000000046.
#define NORVA_COM_IID(d1)                                                                          \
    {                                                                                              \
        d1, 0x0000, 0x0000, {                                                                      \
            0xC0, 0, 0, 0, 0, 0, 0, 0x46                                                           \
        }                                                                                          \
    }
inline constexpr IID IID_IUnknown = NORVA_COM_IID(0x00000000);
inline constexpr IID IID_IClassFactory = NORVA_COM_IID(0x00000001);
inline constexpr IID IID_IPersistStorage = NORVA_COM_IID(0x0000010A);
inline constexpr IID IID_IDispatch = NORVA_COM_IID(0x00020400);
inline constexpr IID IID_ITypeInfo = NORVA_COM_IID(0x00020401);
inline constexpr IID IID_ITypeLib = NORVA_COM_IID(0x00020402);
#undef NORVA_COM_IID
inline constexpr IID IID_IObjectSafety = {
    0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}};
inline constexpr IID IID_IProvideClassInfo = {
    0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IPersistStreamInit = {
    0x7FD52380, 0x4E07, 0x101B, {0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13}};
inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case; returns the characters written
// including the terminating zero (39), or 0 when cchMax is too small.
int StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, int cchMax);
// Accepts the braced GUID form, or a program identifier registered under HKEY_CLASSES_ROOT.
HRESULT CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid);
HRESULT CLSIDFromProgID(LPCOLESTR lpszProgID, LPCLSID lpclsid);
HRESULT IIDFromString(LPCOLESTR lpsz, LPIID lpiid);
