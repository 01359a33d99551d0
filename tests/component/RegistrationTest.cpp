// Registration of the real component library, read back from the registry: every entry,
// what unregistration removes and keeps, and a second registration over leftovers. On
// POSIX the store lives in the test's own configuration folder; under Wine it is the
// prefix's registry.
#include <gtest/gtest.h>

#include "RegistryReading.h"
#include "component/CNorvaDigitalIDIFModule.h"
#include "component/ModuleRegistration.h"
#include "platform/TypeLibSupport.h"

using norva::test::KeyExists;
using norva::test::ReadText;

namespace {

constexpr char kClsid[] = "{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}";
constexpr char kAppId[] = "{F4FD1EA2-F908-48E6-9AB3-7C67B04C74CA}";
const std::string kClassKey = std::string("CLSID\\") + kClsid;
const std::string kTypeLibKey = std::string("TypeLib\\") + kAppId + "\\1.0";

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

// The component library as a client loads it, by its bare name.
class ComponentLibrary {
public:
    ComponentLibrary() : module(LoadLibraryW(Widen("NorvaDigitalIDIF.dll").c_str())) {}
    ~ComponentLibrary() {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    ComponentLibrary(const ComponentLibrary&) = delete;
    ComponentLibrary& operator=(const ComponentLibrary&) = delete;

    bool Loaded() const { return module != nullptr; }
    HRESULT Register() const { return Call("DllRegisterServer"); }
    HRESULT Unregister() const { return Call("DllUnregisterServer"); }
    std::string Path() const {
        WCHAR buffer[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
        return norva::test::Narrow(OleString(buffer, buffer + length));
    }

private:
    HRESULT Call(const char* name) const {
        const auto entry =
            reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        return entry != nullptr ? entry() : E_UNEXPECTED;
    }

    HMODULE module;
};

struct ExpectedValue {
    std::string key;
    std::string name;
    std::string data;
};

std::vector<ExpectedValue> ExpectedValues(const std::string& modulePath) {
    return {
        {std::string("AppID\\") + kAppId, "", "NorvaDigitalIDIF"},
        {"AppID\\NorvaDigitalIDIF.DLL", "AppID", kAppId},
        {"NorvaDigitalIDIF.Zentor.1", "", "CZentor Object"},
        {"NorvaDigitalIDIF.Zentor.1\\CLSID", "", kClsid},
        {"NorvaDigitalIDIF.Zentor", "", "CZentor Object"},
        {"NorvaDigitalIDIF.Zentor\\CLSID", "", kClsid},
        {"NorvaDigitalIDIF.Zentor\\CurVer", "", "NorvaDigitalIDIF.Zentor.1"},
        {kClassKey, "", "CZentor Object"},
        {kClassKey, "AppID", kAppId},
        {kClassKey + "\\ProgID", "", "NorvaDigitalIDIF.Zentor.1"},
        {kClassKey + "\\VersionIndependentProgID", "", "NorvaDigitalIDIF.Zentor"},
        {kClassKey + "\\InprocServer32", "", modulePath},
        {kClassKey + "\\InprocServer32", "ThreadingModel", "apartment"},
        {kClassKey + "\\TypeLib", "", kAppId},
    };
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Loaded());
        ASSERT_EQ(S_OK, library.Unregister()); // whatever an earlier run left
    }
    void TearDown() override { library.Unregister(); }

    ComponentLibrary library;
};

TEST_F(Registration, WritesEveryEntryAsText) {
    ASSERT_EQ(S_OK, library.Register());
    for (const ExpectedValue& value : ExpectedValues(library.Path())) {
        EXPECT_EQ(value.data, ReadText(value.key, value.name).value_or("<missing>"))
            << value.key << " [" << value.name << "]";
    }
    EXPECT_EQ(0, norva::test::SubkeyCount(kClassKey + "\\Programmable"));
    EXPECT_EQ(0, norva::test::ValueCount(kClassKey + "\\Programmable"));
    EXPECT_EQ(5, norva::test::SubkeyCount(kClassKey));
    EXPECT_EQ(2, norva::test::ValueCount(kClassKey));
    EXPECT_EQ(2, norva::test::ValueCount(kClassKey + "\\InprocServer32"));
}

TEST_F(Registration, RegistersTheTypeLibraryWhereThePlatformHasOne) {
    ASSERT_EQ(S_OK, library.Register());
    EXPECT_EQ(kTypeLibrariesAvailable, KeyExists(kTypeLibKey));
    ASSERT_EQ(S_OK, library.Unregister());
    EXPECT_FALSE(KeyExists(kTypeLibKey));
}

TEST_F(Registration, UnregisteringRemovesEverythingButTheSharedKeys) {
    ASSERT_EQ(S_OK, library.Register());
    ASSERT_EQ(S_OK, library.Unregister());
    for (const ExpectedValue& value : ExpectedValues(library.Path())) {
        EXPECT_FALSE(KeyExists(value.key)) << value.key;
    }
    EXPECT_TRUE(KeyExists("CLSID"));
    EXPECT_TRUE(KeyExists("AppID"));
}

TEST_F(Registration, UnregisteringLeavesOtherClassesAlone) {
    ASSERT_TRUE(
        norva::test::WriteText("CLSID\\{00000000-1111-2222-3333-444444444444}", "", "Neighbour"));
    ASSERT_EQ(S_OK, library.Register());
    ASSERT_EQ(S_OK, library.Unregister());
    EXPECT_EQ("Neighbour", ReadText("CLSID\\{00000000-1111-2222-3333-444444444444}").value_or(""));
    RegDeleteTreeW(HKEY_CLASSES_ROOT,
                   Widen("CLSID\\{00000000-1111-2222-3333-444444444444}").c_str());
}

TEST_F(Registration, RegisteringTwiceLeavesOneCleanClassKey) {
    ASSERT_EQ(S_OK, library.Register());
    ASSERT_TRUE(norva::test::WriteText(kClassKey + "\\LocalServer32", "", "old.exe"));
    ASSERT_TRUE(norva::test::WriteText(kClassKey, "Stale", "yes"));
    ASSERT_TRUE(norva::test::WriteText(kClassKey + "\\Programmable", "Stale", "yes"));
    ASSERT_EQ(S_OK, library.Register());
    EXPECT_FALSE(KeyExists(kClassKey + "\\LocalServer32"));
    EXPECT_FALSE(ReadText(kClassKey, "Stale").has_value());
    EXPECT_EQ(0, norva::test::ValueCount(kClassKey + "\\Programmable"));
    EXPECT_EQ(5, norva::test::SubkeyCount(kClassKey));
    EXPECT_EQ(library.Path(), ReadText(kClassKey + "\\InprocServer32").value_or(""));
}

TEST_F(Registration, UnregisteringWhatIsNotRegisteredSucceeds) {
    EXPECT_EQ(S_OK, library.Unregister());
    EXPECT_FALSE(KeyExists(kClassKey));
}

// The registration code linked into this program registers the program itself; only the
// thread locale is of interest here, also when a later step fails.
TEST(RegistrationLocale, TheThreadLocaleIsRestoredAfterwards) {
    const LCID hebrew = 0x040D;
    const LCID before = GetThreadLocale();
    ASSERT_TRUE(SetThreadLocale(hebrew));
    RegisterModule();
    EXPECT_EQ(hebrew, GetThreadLocale());
    UnregisterModule();
    EXPECT_EQ(hebrew, GetThreadLocale());
    SetThreadLocale(before);
}

} // namespace
