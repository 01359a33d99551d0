// Documented behaviour of current Windows versions that Wine does not reproduce, checked
// on our implementation only.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

TEST(ModuleFileName, ShortBufferIsTerminatedAndReportsInsufficientBuffer) {
    HMODULE module = LoadLibraryA("platform_testlib.dll");
    ASSERT_NE(module, nullptr);
    WCHAR path[4] = {1, 1, 1, 1};
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(module, path, 4), 4u);
    EXPECT_EQ(path[3], 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    FreeLibrary(module);
}

TEST(Utf8Conversion, DefaultCharacterArgumentsAreRefused) {
    BOOL used = FALSE;
    char narrow[4];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, "?", nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(UnsignedConversion, NegativeNumberOverflows) {
    VARIANT negative;
    VariantInit(&negative);
    negative.vt = VT_I4;
    negative.lVal = -1;
    VARIANT out;
    VariantInit(&out);
    EXPECT_EQ(VariantChangeType(&out, &negative, 0, VT_UI4), DISP_E_OVERFLOW);
    EXPECT_EQ(out.vt, VT_EMPTY);
}
