// The user's language from the POSIX locale variables, and the thread locale.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

// Sets the three locale variables for one test and restores them afterwards.
class Locale : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value != nullptr ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
    }
    void TearDown() override {
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i]) {
                setenv(kNames[i], saved_[i]->c_str(), 1);
            } else {
                unsetenv(kNames[i]);
            }
        }
    }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<std::optional<std::string>> saved_;
};

} // namespace

TEST_F(Locale, HebrewLangGivesHebrew) {
    setenv("LANG", "he_IL.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x040D);
    EXPECT_EQ(PRIMARYLANGID(GetUserDefaultLangID()), LANG_HEBREW);
    EXPECT_EQ(GetUserDefaultUILanguage(), 0x040D);
    EXPECT_EQ(GetUserDefaultLCID(), 0x040Du);
}

TEST_F(Locale, OldHebrewCodeGivesHebrew) {
    setenv("LANG", "iw_IL", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x040D);
}

TEST_F(Locale, VariablesAreReadInOrder) {
    setenv("LANG", "he_IL.UTF-8", 1);
    setenv("LC_MESSAGES", "en_GB.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0809);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
    setenv("LC_ALL", "", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0809);
}

TEST_F(Locale, UnsetOrPlainLocaleIsUnitedStatesEnglish) {
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    setenv("LANG", "C", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    setenv("LANG", "POSIX", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    setenv("LANG", "C.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
}

TEST_F(Locale, ThreadLocaleResolvesTheSystemDefault) {
    setenv("LANG", "he_IL.UTF-8", 1);
    const LCID saved = GetThreadLocale();
    EXPECT_TRUE(SetThreadLocale(LOCALE_SYSTEM_DEFAULT));
    EXPECT_EQ(GetThreadLocale(), 0x040Du);
    EXPECT_TRUE(SetThreadLocale(0x0409));
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    SetThreadLocale(saved);
}
