// Registry behaviour shared with Windows: create, set, query, enumerate and delete, with
// case-insensitive names and the Win32 error codes.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

LPCWSTR W(const std::u16string& text) {
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

// Each test works below its own key of HKEY_CURRENT_USER\Software\NorvaPlatformTests.
class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        base_ = u"Software\\NorvaPlatformTests\\" +
                Wide(::testing::UnitTest::GetInstance()->current_test_info()->name());
        RegDeleteTreeW(HKEY_CURRENT_USER, W(base_));
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, W(base_), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, W(base_));
    }

    HKEY Create(const std::u16string& name, DWORD* disposition = nullptr) {
        HKEY created = nullptr;
        EXPECT_EQ(RegCreateKeyExW(key_, W(name), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                                  disposition),
                  ERROR_SUCCESS);
        return created;
    }

    LONG Open(const std::u16string& name, HKEY* opened) {
        return RegOpenKeyExW(key_, W(name), 0, KEY_ALL_ACCESS, opened);
    }

    static void SetText(HKEY key, const std::u16string& name, const std::u16string& text) {
        ASSERT_EQ(RegSetValueExW(key, name.empty() ? nullptr : W(name), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(char16_t))),
                  ERROR_SUCCESS);
    }

    static std::u16string Text(HKEY key, const std::u16string& name) {
        DWORD type = 0;
        DWORD size = 0;
        const LPCWSTR valueName = name.empty() ? nullptr : W(name);
        EXPECT_EQ(RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        std::u16string text(size / sizeof(char16_t), u'\0');
        EXPECT_EQ(RegQueryValueExW(key, valueName, nullptr, &type,
                                   reinterpret_cast<BYTE*>(text.data()), &size),
                  ERROR_SUCCESS);
        text.resize(std::char_traits<char16_t>::length(text.c_str()));
        return text;
    }

    std::vector<std::u16string> Subkeys(HKEY key) {
        std::vector<std::u16string> names;
        for (DWORD index = 0;; ++index) {
            WCHAR name[256];
            DWORD length = 256;
            const LONG status =
                RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) {
                return names;
            }
            EXPECT_EQ(status, ERROR_SUCCESS);
            names.emplace_back(reinterpret_cast<const char16_t*>(name), length);
        }
    }

    std::u16string base_;
    HKEY key_ = nullptr;
};

} // namespace

TEST_F(Registry, CreateReportsNewThenExisting) {
    DWORD disposition = 0;
    HKEY first = Create(u"Child\\Grandchild", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    HKEY second = Create(u"Child\\Grandchild", &disposition);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(first);
    RegCloseKey(second);
}

TEST_F(Registry, TextValueRoundTrips) {
    SetText(key_, u"Name", u"value \u05D0");
    SetText(key_, u"", u"default");
    EXPECT_EQ(Text(key_, u"Name"), u"value \u05D0");
    EXPECT_EQ(Text(key_, u""), u"default");
}

TEST_F(Registry, QueryReportsSizeAndShortBuffer) {
    SetText(key_, u"Name", u"abcdef");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key_, W(u"Name"), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 14u);
    BYTE small[4];
    size = sizeof(small);
    EXPECT_EQ(RegQueryValueExW(key_, W(u"Name"), nullptr, nullptr, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 14u);
}

TEST_F(Registry, BinaryAndNumberValuesKeepTypeAndBytes) {
    const BYTE blob[] = {0x00, 0xFF, 0x10, 0x0A};
    const DWORD number = 0x12345678;
    ASSERT_EQ(RegSetValueExW(key_, W(u"Blob"), 0, REG_BINARY, blob, sizeof(blob)), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key_, W(u"Number"), 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              ERROR_SUCCESS);
    BYTE read[8] = {};
    DWORD size = sizeof(read);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key_, W(u"Blob"), nullptr, &type, read, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(std::vector<BYTE>(read, read + size), std::vector<BYTE>(blob, blob + sizeof(blob)));
    DWORD readNumber = 0;
    size = sizeof(readNumber);
    ASSERT_EQ(RegQueryValueExW(key_, W(u"Number"), nullptr, &type,
                               reinterpret_cast<BYTE*>(&readNumber), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(readNumber, number);
}

TEST_F(Registry, MissingValueAndKeyAreNotFound) {
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key_, W(u"Missing"), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExW(key_, nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    HKEY opened = nullptr;
    EXPECT_EQ(Open(u"Missing", &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(key_, W(u"Missing")), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, NamesIgnoreCaseAndKeepTheirSpelling) {
    RegCloseKey(Create(u"MixedCase"));
    HKEY opened = nullptr;
    ASSERT_EQ(Open(u"MIXEDCASE", &opened), ERROR_SUCCESS);
    SetText(opened, u"ValueName", u"x");
    EXPECT_EQ(Text(opened, u"valuename"), u"x");
    RegCloseKey(opened);
    EXPECT_EQ(Subkeys(key_), std::vector<std::u16string>{u"MixedCase"});
}

TEST_F(Registry, SubkeysAreEnumeratedInNameOrder) {
    for (const std::u16string name : {u"beta", u"Alpha", u"gamma"}) {
        RegCloseKey(Create(name));
    }
    EXPECT_EQ(Subkeys(key_), (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma"}));
    DWORD subkeys = 0, values = 0;
    ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 3u);
    EXPECT_EQ(values, 0u);
}

TEST_F(Registry, ShortNameBufferGivesMoreData) {
    RegCloseKey(Create(u"LongerName"));
    WCHAR name[4];
    DWORD length = 4;
    EXPECT_EQ(RegEnumKeyExW(key_, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
}

TEST_F(Registry, ValuesAreEnumerated) {
    SetText(key_, u"First", u"1");
    SetText(key_, u"Second", u"2");
    std::vector<std::u16string> names;
    for (DWORD index = 0;; ++index) {
        WCHAR name[64];
        DWORD length = 64;
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key_, index, name, &length, nullptr, &type, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        names.emplace_back(reinterpret_cast<const char16_t*>(name), length);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"First", u"Second"}));
}

TEST_F(Registry, DeleteValueRemovesIt) {
    SetText(key_, u"Name", u"x");
    EXPECT_EQ(RegDeleteValueW(key_, W(u"NAME")), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key_, W(u"Name"), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeleteKeyRefusesAKeyWithSubkeys) {
    RegCloseKey(Create(u"Parent\\Child"));
    EXPECT_EQ(RegDeleteKeyW(key_, W(u"Parent")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(key_, W(u"Parent\\Child")), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyW(key_, W(u"Parent")), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(Open(u"Parent", &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(key_, W(u"Parent")), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeleteTreeRemovesEverythingBelow) {
    HKEY deep = Create(u"Tree\\A\\B");
    SetText(deep, u"Leaf", u"x");
    RegCloseKey(deep);
    RegCloseKey(Create(u"Tree\\C"));
    EXPECT_EQ(RegDeleteTreeW(key_, W(u"Tree")), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(Open(u"Tree", &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(key_, W(u"Tree")), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeleteTreeWithoutSubkeyEmptiesTheKey) {
    RegCloseKey(Create(u"Child"));
    SetText(key_, u"Name", u"x");
    EXPECT_EQ(RegDeleteTreeW(key_, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(Subkeys(key_).empty());
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key_, W(u"Name"), nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, AnsiFunctionsConvertNamesAndText) {
    HKEY ansiKey = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(key_, "AnsiKey", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &ansiKey, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(ansiKey, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("hello"), 6),
              ERROR_SUCCESS);
    EXPECT_EQ(Text(ansiKey, u"Text"), u"hello");
    char read[16] = {};
    DWORD size = sizeof(read);
    ASSERT_EQ(
        RegQueryValueExA(ansiKey, "text", nullptr, nullptr, reinterpret_cast<BYTE*>(read), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(read), "hello");
    char name[16];
    DWORD length = sizeof(name);
    ASSERT_EQ(RegEnumKeyExA(key_, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), "AnsiKey");
    RegCloseKey(ansiKey);
    EXPECT_EQ(RegDeleteKeyA(key_, "ansikey"), ERROR_SUCCESS);
}

TEST_F(Registry, ClosedHandleIsInvalid) {
    HKEY child = Create(u"Child");
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
    HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_NE(RegCloseKey(bogus), ERROR_SUCCESS);
}
