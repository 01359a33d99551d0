// The registrar: reading scripts into entries, and the replacement tokens.
#include <gtest/gtest.h>

#include "component/Registrar.h"
#include "component/RegistrarScript.h"
#include "component/RegistrationEntries.h"

namespace {

std::string Narrow(const OleString& text) {
    return std::string(text.begin(), text.end());
}

Registrar WithModule(const char* path) {
    return Registrar(ReplacementValues(Widen(path)));
}

TEST(RegistrarScript, ReadsTheApplicationIdentifierScript) {
    RegistryEntries entries;
    ASSERT_TRUE(ParseRegistrarScript(AppIdScript(), entries));
    ASSERT_EQ(5u, entries.size());
    EXPECT_EQ("AppID", entries[0].key);
    EXPECT_EQ(KeyRule::Keep, entries[0].rule);
    EXPECT_FALSE(entries[0].hasValue);
    EXPECT_EQ("AppID\\%APPID%", entries[1].key);
    EXPECT_EQ(KeyRule::Normal, entries[1].rule);
    EXPECT_EQ("AppID\\%APPID%", entries[2].key);
    EXPECT_TRUE(entries[2].hasValue);
    EXPECT_EQ("", entries[2].valueName);
    EXPECT_EQ("NorvaDigitalIDIF", entries[2].data);
    EXPECT_EQ("AppID\\NorvaDigitalIDIF.DLL", entries[3].key);
    EXPECT_EQ("AppID\\NorvaDigitalIDIF.DLL", entries[4].key);
    EXPECT_EQ("AppID", entries[4].valueName);
    EXPECT_EQ("%APPID%", entries[4].data);
    for (const RegistryEntry& entry : entries) {
        EXPECT_EQ(HKEY_CLASSES_ROOT, entry.root);
    }
}

TEST(RegistrarScript, ForceRemoveQuotesAndOtherRoots) {
    RegistryEntries entries;
    ASSERT_TRUE(ParseRegistrarScript(
        "HKCU { ForceRemove 'It''s' = s 'a ''b''' { val 'x y' = s '' } Plain } HKLM { K }",
        entries));
    ASSERT_EQ(5u, entries.size());
    EXPECT_EQ(HKEY_CURRENT_USER, entries[0].root);
    EXPECT_EQ("It's", entries[0].key);
    EXPECT_EQ(KeyRule::ReplaceFirst, entries[0].rule);
    EXPECT_EQ("a 'b'", entries[1].data);
    EXPECT_EQ("x y", entries[2].valueName);
    EXPECT_EQ(KeyRule::ReplaceFirst, entries[2].rule); // a value follows its key's rule
    EXPECT_EQ("Plain", entries[3].key);
    EXPECT_EQ(HKEY_LOCAL_MACHINE, entries[4].root);
}

TEST(RegistrarScript, MalformedScriptsAreRefused) {
    const char* scripts[] = {
        "HKCR { A ",              // unclosed brace
        "HKXX { A }",             // unknown root
        "HKCR { 'A = s 'x' }",    // unclosed quote
        "HKCR { A = d '1' }",     // not a string value
        "HKCR { val X = s 'y' }", // a value outside any key
        "HKCR { A = s }",         // value missing
        "HKCR A",                 // no braces
    };
    for (const char* script : scripts) {
        RegistryEntries entries;
        EXPECT_FALSE(ParseRegistrarScript(script, entries)) << script;
    }
}

TEST(RegistrarTokens, ReplacesEveryTokenOfTheComponent) {
    const Registrar registrar = WithModule("/opt/norva/libNorvaDigitalIDIF.so");
    OleString out;
    ASSERT_TRUE(registrar.Expand("%APPID%|%FriendlyName%|%MODULE%|%MODULETYPE%|%MODULEGUID%", out));
    EXPECT_EQ("{F4FD1EA2-F908-48E6-9AB3-7C67B04C74CA}|CZentor Object|"
              "/opt/norva/libNorvaDigitalIDIF.so|InprocServer32|"
              "{F4FD1EA2-F908-48E6-9AB3-7C67B04C74CA}",
              Narrow(out));
}

TEST(RegistrarTokens, DoublePercentIsOnePercentAndUnknownTokensFail) {
    const Registrar registrar = WithModule("m");
    OleString out;
    ASSERT_TRUE(registrar.Expand("100%% sure", out));
    EXPECT_EQ("100% sure", Narrow(out));
    EXPECT_FALSE(registrar.Expand("%CLSID%", out));
    EXPECT_FALSE(registrar.Expand("50% off", out));
}

TEST(ClassEntries, KeepTheSharedKeyAndReplaceTheClassKeyWhole) {
    const RegistryEntries& entries = ClassEntries();
    int kept = 0;
    int replaced = 0;
    for (const RegistryEntry& entry : entries) {
        EXPECT_EQ(HKEY_CLASSES_ROOT, entry.root);
        if (entry.rule == KeyRule::Keep) {
            ++kept;
            EXPECT_EQ("CLSID", entry.key);
        }
        if (entry.rule == KeyRule::ReplaceFirst) {
            ++replaced;
            EXPECT_EQ(0u, entry.key.find("CLSID\\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}"));
        }
    }
    EXPECT_EQ(1, kept);
    EXPECT_EQ(3, replaced); // the class key's two lines and Programmable
}

} // namespace
