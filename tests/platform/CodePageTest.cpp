// Code-page conversion with Windows conventions: Hebrew in code page 1255, UTF-8 with and
// without strict checking, NUL-terminated input, size queries and short buffers.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr UINT kHebrew = 1255;

std::u16string ToWide(UINT codePage, DWORD flags, const std::string& bytes) {
    const int size = MultiByteToWideChar(codePage, flags, bytes.data(),
                                         static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<size_t>(size), u'\0');
    const int written =
        MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                            reinterpret_cast<LPWSTR>(wide.data()), size);
    wide.resize(static_cast<size_t>(written));
    return wide;
}

std::string ToNarrow(UINT codePage, DWORD flags, const std::u16string& wide,
                     BOOL* usedDefault = nullptr) {
    const auto* text = reinterpret_cast<LPCWSTR>(wide.data());
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, usedDefault);
    std::string narrow(static_cast<size_t>(size), '\0');
    const int written = WideCharToMultiByte(codePage, flags, text, length, narrow.data(), size,
                                            nullptr, usedDefault);
    narrow.resize(static_cast<size_t>(written));
    return narrow;
}

} // namespace

TEST(HebrewCodePage, LettersMapToTheHebrewBlock) {
    std::string bytes;
    std::u16string letters;
    for (int i = 0; i <= 0xFA - 0xE0; ++i) {
        bytes += static_cast<char>(0xE0 + i);
        letters += static_cast<char16_t>(0x05D0 + i);
    }
    EXPECT_EQ(ToWide(kHebrew, 0, bytes), letters);
    EXPECT_EQ(ToNarrow(kHebrew, 0, letters), bytes);
}

TEST(HebrewCodePage, SpecialCharactersHaveTheirOwnBytes) {
    const std::u16string wide = u"\u20AA\u00D7\u00F7\u20AC";
    EXPECT_EQ(ToNarrow(kHebrew, 0, wide), "\xA4\xAA\xBA\x80");
    EXPECT_EQ(ToWide(kHebrew, 0, "\xA4\xAA\xBA\x80"), wide);
}

TEST(HebrewCodePage, UnmappableCharacterBecomesQuestionMark) {
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToNarrow(kHebrew, WC_NO_BEST_FIT_CHARS, u"A\u4E2DB", &usedDefault), "A?B");
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToNarrow(kHebrew, WC_NO_BEST_FIT_CHARS, u"ABC", &usedDefault), "ABC");
    EXPECT_FALSE(usedDefault);
}

TEST(HebrewCodePage, CallerDefaultCharacterIsUsed) {
    char out[8] = {};
    BOOL usedDefault = FALSE;
    const int written =
        WideCharToMultiByte(kHebrew, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWSTR>(u"x\u4E2D"), 2,
                            out, sizeof(out), "*", &usedDefault);
    EXPECT_EQ(written, 2);
    EXPECT_EQ(std::string(out, 2), "x*");
    EXPECT_TRUE(usedDefault);
}

TEST(Utf8, CharacterAboveBmpBecomesSurrogatePair) {
    const std::string utf8 = "\xF0\x9F\x98\x80";
    const std::u16string pair = u"\xD83D\xDE00";
    EXPECT_EQ(ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8), pair);
    EXPECT_EQ(ToNarrow(CP_UTF8, WC_ERR_INVALID_CHARS, pair), utf8);
}

TEST(Utf8, HebrewRoundTrips) {
    const std::string utf8 = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";
    EXPECT_EQ(ToWide(CP_UTF8, 0, utf8), u"\u05E9\u05DC\u05D5\u05DD");
    EXPECT_EQ(ToNarrow(CP_UTF8, 0, u"\u05E9\u05DC\u05D5\u05DD"), utf8);
}

TEST(Utf8, InvalidInputFailsWhenCheckingIsAsked) {
    for (const std::string invalid : {"a\xC3(", "\xFF", "\xED\xA0\x80", "\xC0\xAF", "\xE2\x82"}) {
        WCHAR out[16];
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, invalid.data(),
                                      static_cast<int>(invalid.size()),
                                      reinterpret_cast<LPWSTR>(out), 16),
                  0)
            << invalid;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
}

TEST(Utf8, InvalidInputBecomesReplacementCharacter) {
    EXPECT_EQ(ToWide(CP_UTF8, 0, "a\xC3(b"), u"a\uFFFD(b");
    EXPECT_EQ(ToWide(CP_UTF8, 0, "\xFFx"), u"\uFFFDx");
}

TEST(Utf8, UnpairedSurrogateFailsWhenCheckingIsAsked) {
    const char16_t lone[] = {u'a', 0xD800, u'b'};
    char out[16];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, reinterpret_cast<LPCWSTR>(lone), 3,
                                  out, sizeof(out), nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(ToNarrow(CP_UTF8, 0, std::u16string(lone, 3)), "a\xEF\xBF\xBD"
                                                             "b");
}

TEST(CodePageConventions, MinusOneConvertsAndCountsTheTerminatingZero) {
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
    WCHAR wide[8] = {1, 1, 1, 1, 1};
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, reinterpret_cast<LPWSTR>(wide), 8), 4);
    EXPECT_EQ(wide[3], 0);
    char narrow[8] = {1, 1, 1, 1, 1};
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(u"xyz"), -1, narrow, 8,
                                  nullptr, nullptr),
              4);
    EXPECT_EQ(std::string(narrow), "xyz");
}

TEST(CodePageConventions, ShortBufferFailsWithInsufficientBuffer) {
    WCHAR wide[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, reinterpret_cast<LPWSTR>(wide), 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char narrow[2];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<LPCWSTR>(u"\u05D0\u05D1"), 2, narrow,
                                  2, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(CodePageConventions, BadArgumentsFailWithInvalidParameter) {
    WCHAR wide[4];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, 3, reinterpret_cast<LPWSTR>(wide), 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 0, reinterpret_cast<LPWSTR>(wide), 4), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}
