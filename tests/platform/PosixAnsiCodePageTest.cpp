// The ANSI code page of our implementation: extended Windows-1255, in which every byte
// survives a round trip through UTF-16.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(AnsiCodePage, IsHebrew) {
    EXPECT_EQ(GetACP(), 1255u);
}

TEST(AnsiCodePage, EveryByteRoundTripsThroughDistinctUnits) {
    char bytes[256];
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<char>(i);
    }
    char16_t wide[256];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, 256, wide, 256), 256);
    EXPECT_EQ(std::set<char16_t>(wide, wide + 256).size(), 256u);
    char back[256];
    BOOL usedDefault = TRUE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, 256, back, 256, nullptr, &usedDefault), 256);
    EXPECT_EQ(std::string(back, 256), std::string(bytes, 256));
    EXPECT_FALSE(usedDefault);
}

TEST(AnsiCodePage, UndefinedBytesStandForTheSameLatinUnit) {
    const char bytes[] = {'\x81', '\x8A', '\xD9', '\xFF'};
    char16_t wide[4];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 4, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide, 4), u"\u0081\u008A\u00D9\u00FF");
}

TEST(AnsiCodePage, DefinedBytesUseWindows1255) {
    const char bytes[] = {'\x80', '\xA4', '\xCA', '\xE0', '\xFA', '\xFD'};
    char16_t wide[6];
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, bytes, 6, wide, 6), 6);
    EXPECT_EQ(std::u16string(wide, 6), u"\u20AC\u20AA\u05BA\u05D0\u05EA\u200E");
}

TEST(AnsiCodePage, LatinLettersWithoutByteBecomeQuestionMarks) {
    // U+00E9 has no byte: 0xE9 is a Hebrew letter, so the Latin unit is not reused.
    char out[4];
    BOOL usedDefault = FALSE;
    ASSERT_EQ(
        WideCharToMultiByte(CP_ACP, 0, u"\u00E9\u0100\U0001F600", 4, out, 4, nullptr, &usedDefault),
        3);
    EXPECT_EQ(std::string(out, 3), "???");
    EXPECT_TRUE(usedDefault);
}
