// Widths, layouts and constants with their 32-bit Windows values; on the Windows builds this
// checks the literals below against the system headers themselves.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>

TEST(Types, IntegerWidthsAreThoseOfWindows) {
    EXPECT_EQ(sizeof(LONG), 4u);
    EXPECT_EQ(sizeof(ULONG), 4u);
    EXPECT_EQ(sizeof(DWORD), 4u);
    EXPECT_EQ(sizeof(HRESULT), 4u);
    EXPECT_EQ(sizeof(SCODE), 4u);
    EXPECT_EQ(sizeof(WORD), 2u);
    EXPECT_EQ(sizeof(SHORT), 2u);
    EXPECT_EQ(sizeof(OLECHAR), 2u);
    EXPECT_EQ(sizeof(WCHAR), 2u);
    EXPECT_EQ(sizeof(VARIANT_BOOL), 2u);
    EXPECT_EQ(sizeof(VARTYPE), 2u);
    EXPECT_EQ(sizeof(GUID), 16u);
    EXPECT_EQ(sizeof(LCID), 4u);
    EXPECT_EQ(sizeof(LANGID), 2u);
}

TEST(Types, VariantLayoutIsThatOfWindows) {
    EXPECT_EQ(offsetof(VARIANT, vt), 0u);
    EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
    EXPECT_EQ(offsetof(VARIANT, bstrVal), 8u);
    EXPECT_EQ(sizeof(VARIANT), 8u + 2 * sizeof(void*));
    EXPECT_EQ(offsetof(SAFEARRAY, cDims), 0u);
    EXPECT_EQ(offsetof(SAFEARRAY, cbElements), 4u);
    EXPECT_EQ(offsetof(SAFEARRAY, pvData), 12u + (sizeof(void*) - 4));
    EXPECT_EQ(sizeof(SAFEARRAYBOUND), 8u);
}

TEST(Types, HresultsHaveTheirWindowsValues) {
    const struct {
        HRESULT value;
        uint32_t expected;
    } codes[] = {
        {S_OK, 0x0},
        {S_FALSE, 0x1},
        {E_NOTIMPL, 0x80004001},
        {E_NOINTERFACE, 0x80004002},
        {E_POINTER, 0x80004003},
        {E_FAIL, 0x80004005},
        {E_UNEXPECTED, 0x8000FFFF},
        {E_OUTOFMEMORY, 0x8007000E},
        {E_INVALIDARG, 0x80070057},
        {CLASS_E_NOAGGREGATION, 0x80040110},
        {CLASS_E_CLASSNOTAVAILABLE, 0x80040111},
        {REGDB_E_KEYMISSING, 0x80040152},
        {REGDB_E_CLASSNOTREG, 0x80040154},
        {SELFREG_E_TYPELIB, 0x80040200},
        {SELFREG_E_CLASS, 0x80040201},
        {CO_E_NOTINITIALIZED, 0x800401F0},
        {DISP_E_MEMBERNOTFOUND, 0x80020003},
        {DISP_E_PARAMNOTFOUND, 0x80020004},
        {DISP_E_TYPEMISMATCH, 0x80020005},
        {DISP_E_UNKNOWNNAME, 0x80020006},
        {DISP_E_NONAMEDARGS, 0x80020007},
        {DISP_E_BADVARTYPE, 0x80020008},
        {DISP_E_OVERFLOW, 0x8002000A},
        {DISP_E_BADINDEX, 0x8002000B},
        {DISP_E_ARRAYISLOCKED, 0x8002000D},
        {DISP_E_BADPARAMCOUNT, 0x8002000E},
        {TYPE_E_CANTLOADLIBRARY, 0x80029C4A},
        {HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), 0x8007007E},
        {HRESULT_FROM_WIN32(ERROR_SUCCESS), 0x0},
    };
    for (const auto& code : codes) {
        EXPECT_EQ(static_cast<uint32_t>(code.value), code.expected);
    }
    EXPECT_TRUE(FAILED(E_FAIL));
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
}

TEST(Types, Win32ErrorsHaveTheirWindowsValues) {
    EXPECT_EQ(ERROR_SUCCESS, 0);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, 2);
    EXPECT_EQ(ERROR_ACCESS_DENIED, 5);
    EXPECT_EQ(ERROR_INVALID_HANDLE, 6);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, 87);
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, 122);
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, 126);
    EXPECT_EQ(ERROR_PROC_NOT_FOUND, 127);
    EXPECT_EQ(ERROR_MORE_DATA, 234);
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, 259);
    EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, 1113);
}

TEST(Types, AutomationConstantsHaveTheirWindowsValues) {
    EXPECT_EQ(VARIANT_TRUE, -1);
    EXPECT_EQ(VARIANT_FALSE, 0);
    EXPECT_EQ(DISPID_PROPERTYPUT, -3);
    EXPECT_EQ(DISPID_UNKNOWN, -1);
    EXPECT_EQ(DISPATCH_METHOD, 1);
    EXPECT_EQ(DISPATCH_PROPERTYGET, 2);
    EXPECT_EQ(DISPATCH_PROPERTYPUT, 4);
    EXPECT_EQ(DISPATCH_PROPERTYPUTREF, 8);
    EXPECT_EQ(VT_BSTR, 8);
    EXPECT_EQ(VT_BOOL, 11);
    EXPECT_EQ(VT_VARIANT, 12);
    EXPECT_EQ(VT_BYREF, 0x4000);
    EXPECT_EQ(VT_ARRAY, 0x2000);
    EXPECT_EQ(INTERFACESAFE_FOR_UNTRUSTED_CALLER, 1);
    EXPECT_EQ(INTERFACESAFE_FOR_UNTRUSTED_DATA, 2);
    EXPECT_EQ(CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                  CLSCTX_REMOTE_SERVER,
              0x17);
    EXPECT_EQ(MAKELANGID(LANG_HEBREW, SUBLANG_DEFAULT), 0x040D);
    EXPECT_EQ(PRIMARYLANGID(0x040D), LANG_HEBREW);
    EXPECT_EQ(LOCALE_SYSTEM_DEFAULT, 0x800);
    EXPECT_EQ(MAX_PATH, 260);
}
