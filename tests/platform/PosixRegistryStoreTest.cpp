// The registry store file of our implementation: its place, its text form, atomic
// replacement under a lock, concurrent writers, and what a damaged store does.
#include "platform/posix/RegistryStore.h"
#include "tests/platform/PosixTestEnvironment.h"
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

LONG SetText(HKEY root, const char16_t* keyName, const char16_t* valueName,
             const std::u16string& text) {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExW(root, keyName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(char16_t)));
    RegCloseKey(key);
    return status;
}

// The value's bytes, or an empty vector with status set.
std::vector<BYTE> Query(HKEY root, const char16_t* keyName, const char16_t* valueName, LONG& status,
                        DWORD* type = nullptr) {
    HKEY key = nullptr;
    status = RegOpenKeyExW(root, keyName, 0, KEY_READ, &key);
    if (status != ERROR_SUCCESS) {
        return {};
    }
    DWORD size = 0;
    status = RegQueryValueExW(key, valueName, nullptr, type, nullptr, &size);
    std::vector<BYTE> data(size);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, valueName, nullptr, type, data.data(), &size);
    }
    RegCloseKey(key);
    return data;
}

std::u16string QueryText(HKEY root, const char16_t* keyName, const char16_t* valueName) {
    LONG status = 0;
    const std::vector<BYTE> data = Query(root, keyName, valueName, status);
    EXPECT_EQ(status, ERROR_SUCCESS);
    std::u16string text(data.size() / 2, u'\0');
    std::memcpy(text.data(), data.data(), text.size() * 2);
    if (!text.empty() && text.back() == 0) {
        text.pop_back();
    }
    return text;
}

DWORD CountSubkeys(HKEY root, const char16_t* keyName) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return 0;
    }
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return count;
}

class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = norva::test::UseFreshConfigHome();
        store_ = home_ + "/norva/registry";
    }
    std::string home_;
    std::string store_;
};

} // namespace

TEST_F(RegistryStore, LivesUnderXdgConfigHome) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"value"), ERROR_SUCCESS);
    const std::string text = ReadFile(store_);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Norva]\n\"Name\"=\"value\"\n"),
              std::string::npos)
        << text;
}

TEST_F(RegistryStore, FallsBackToHomeConfig) {
    const std::string savedHome = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", home_.c_str(), 1);
    const LONG status = SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"home");
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_NE(ReadFile(home_ + "/.config/norva/registry").find("\"home\""), std::string::npos);
}

TEST_F(RegistryStore, ValuesPersistForAnotherProcess) {
    ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, u"CLSID\\{X}\\InprocServer32", nullptr, u"/lib/x.so"),
              ERROR_SUCCESS);
    const pid_t child = fork();
    if (child == 0) {
        LONG status = 0;
        const std::vector<BYTE> data =
            Query(HKEY_CLASSES_ROOT, u"clsid\\{x}\\INPROCSERVER32", nullptr, status);
        const std::u16string expected = u"/lib/x.so";
        const bool same = status == ERROR_SUCCESS && data.size() == (expected.size() + 1) * 2 &&
                          std::memcmp(data.data(), expected.c_str(), data.size()) == 0;
        _exit(same ? 0 : 1);
    }
    int result = -1;
    ASSERT_EQ(waitpid(child, &result, 0), child);
    EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0);
}

TEST_F(RegistryStore, AwkwardNamesAndDataSurviveTheTextForm) {
    const std::u16string text =
        std::u16string(u"quote\" back\\slash\nline\ttab") + u'\xD800' + std::u16string(u"\0end", 4);
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Odd]Name [x]", u"val\"ue\\name=", text), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Odd]Name [x]", u"val\"ue\\name="), text);
    const BYTE odd[] = {1, 2, 3};
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Odd]Name [x]", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Odd", 0, REG_SZ, odd, 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, u"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    RegCloseKey(key);
    LONG status = 0;
    DWORD type = 0;
    EXPECT_EQ(Query(HKEY_CURRENT_USER, u"Odd]Name [x]", u"Odd", status, &type),
              std::vector<BYTE>(odd, odd + 3));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(Query(HKEY_CURRENT_USER, u"Odd]Name [x]", u"Empty", status, &type).empty());
    EXPECT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
}

TEST_F(RegistryStore, ControlCharactersInKeyNamesAreRefused) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Bad\nName", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Bad\\\\Path", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_BAD_PATHNAME);
}

TEST_F(RegistryStore, ConcurrentWritersKeepEveryKey) {
    constexpr int kWriters = 2;
    constexpr int kKeysEach = 60;
    pid_t children[kWriters];
    for (int writer = 0; writer < kWriters; ++writer) {
        children[writer] = fork();
        if (children[writer] == 0) {
            bool ok = true;
            for (int i = 0; i < kKeysEach; ++i) {
                const std::string name =
                    "Software\\Load\\W" + std::to_string(writer) + "K" + std::to_string(i);
                const std::u16string wide(name.begin(), name.end());
                ok =
                    ok && SetText(HKEY_CURRENT_USER, wide.c_str(), u"Value", wide) == ERROR_SUCCESS;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int result = -1;
        ASSERT_EQ(waitpid(child, &result, 0), child);
        EXPECT_TRUE(WIFEXITED(result) && WEXITSTATUS(result) == 0);
    }
    EXPECT_EQ(CountSubkeys(HKEY_CURRENT_USER, u"Software\\Load"),
              static_cast<DWORD>(kWriters * kKeysEach));
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Software\\Load\\W1K59", u"Value"),
              u"Software\\Load\\W1K59");
}

TEST_F(RegistryStore, StaleTemporaryFileIsHarmless) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Before", u"Name", u"kept"), ERROR_SUCCESS);
    WriteFile(home_ + "/norva/registry.tmp", "Norva registry 1\n[HKEY_CURRENT_USER\\Half");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Software\\Before", u"Name"), u"kept");
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\After", u"Name", u"new"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Software\\Before", u"Name"), u"kept");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Software\\After", u"Name"), u"new");
}

TEST_F(RegistryStore, CorruptStoreReadsEmptyAndIsNotOverwritten) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"value"), ERROR_SUCCESS);
    const std::string damaged = ReadFile(store_) + "garbage line\n";
    WriteFile(store_, damaged);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Norva", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Other", u"Name", u"x"),
              ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software"), ERROR_REGISTRY_CORRUPT);
    EXPECT_EQ(ReadFile(store_), damaged);
}

TEST_F(RegistryStore, TruncatedStoreIsCorrupt) {
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"value"), ERROR_SUCCESS);
    const std::string text = ReadFile(store_);
    WriteFile(store_, text.substr(0, text.size() - 3));
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Other", u"Name", u"x"),
              ERROR_REGISTRY_CORRUPT);
}

TEST_F(RegistryStore, UnreadableStoreReadsEmptyAndIsNotReplaced) {
    // A folder in the store's place cannot be read as a file, even by the superuser.
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"value"), ERROR_SUCCESS);
    ASSERT_EQ(std::rename(store_.c_str(), (store_ + ".saved").c_str()), 0);
    ASSERT_EQ(mkdir(store_.c_str(), 0700), 0);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Norva", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Other", u"Name", u"x"),
              ERROR_REGISTRY_IO_FAILED);
    struct stat status {};
    ASSERT_EQ(stat(store_.c_str(), &status), 0);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
}

TEST_F(RegistryStore, KeysDeeperThanWindowsAllowsAreRefused) {
    const auto path = [](size_t depth) {
        std::u16string text = u"a";
        for (size_t i = 1; i < depth; ++i) {
            text += u"\\a";
        }
        return text;
    };
    struct Case {
        size_t depth;
        bool kept;
    };
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"b", u"v", u"y"), ERROR_SUCCESS); // makes the folder
    // The deepest one would overflow the stack of a recursive walk.
    for (const Case c : {Case{512, true}, Case{513, false}, Case{300000, false}}) {
        SCOPED_TRACE(c.depth);
        const std::u16string deep = path(c.depth);
        const std::string store = "Norva registry 1\n[HKEY_CURRENT_USER\\" +
                                  std::string(deep.begin(), deep.end()) + "]\n\"v\"=\"x\"\n";
        WriteFile(store_, store);
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"a", 0, KEY_READ, &key),
                  c.kept ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
        RegCloseKey(key);
        EXPECT_EQ(SetText(HKEY_CURRENT_USER, u"b", u"v", u"y"),
                  c.kept ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT);
        if (!c.kept) {
            EXPECT_EQ(ReadFile(store_), store);
        }
        std::remove(store_.c_str());
        EXPECT_EQ(SetText(HKEY_CURRENT_USER, deep.c_str(), u"v", u"y"),
                  c.kept ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER);
        if (c.kept) {
            EXPECT_EQ(QueryText(HKEY_CURRENT_USER, deep.c_str(), u"v"), u"y");
        }
    }
}

TEST_F(RegistryStore, RootsAreSeparate) {
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, u"Software\\Shared", u"Name", u"machine"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(HKEY_CLASSES_ROOT, u"Software\\Shared", u"Name", u"classes"), ERROR_SUCCESS);
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, u"Software\\Shared", u"Name"), u"machine");
    EXPECT_EQ(QueryText(HKEY_CLASSES_ROOT, u"Software\\Shared", u"Name"), u"classes");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Shared", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_USERS, u"Software", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryStore, MachineKeysLiveInTheSystemWideStoreReadableByAll) {
    ASSERT_EQ(SetText(HKEY_LOCAL_MACHINE, u"Software\\Norva", u"Name", u"machine"), ERROR_SUCCESS);
    ASSERT_EQ(SetText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name", u"user"), ERROR_SUCCESS);
    const std::string system = home_ + "-system/norva/registry";
    EXPECT_NE(ReadFile(system).find("[HKEY_LOCAL_MACHINE\\Software\\Norva]"), std::string::npos);
    EXPECT_EQ(ReadFile(store_).find("[HKEY_LOCAL_MACHINE\\Software"), std::string::npos);
    struct stat status {};
    ASSERT_EQ(stat(system.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    ASSERT_EQ(stat((home_ + "-system/norva").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0755u);
    EXPECT_EQ(QueryText(HKEY_LOCAL_MACHINE, u"Software\\Norva", u"Name"), u"machine");
    EXPECT_EQ(QueryText(HKEY_CURRENT_USER, u"Software\\Norva", u"Name"), u"user");
}

TEST_F(RegistryStore, SystemWideStoreIsInTheFirstAbsoluteConfigFolder) {
    const std::string saved = std::getenv("XDG_CONFIG_DIRS");
    const struct {
        const char* dirs;
        const char* expected;
    } cases[] = {
        {"/srv/conf:/etc/xdg", "/srv/conf/norva/registry"},
        {"relative:/opt/conf", "/opt/conf/norva/registry"},
        {"", "/etc/xdg/norva/registry"},
        {"::relative", "/etc/xdg/norva/registry"},
    };
    for (const auto& c : cases) {
        setenv("XDG_CONFIG_DIRS", c.dirs, 1);
        EXPECT_EQ(norva::RegistryStorePath(norva::RegistryRoot::LocalMachine), c.expected)
            << c.dirs;
    }
    unsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(norva::RegistryStorePath(norva::RegistryRoot::LocalMachine),
              "/etc/xdg/norva/registry");
    setenv("XDG_CONFIG_DIRS", saved.c_str(), 1);
}
