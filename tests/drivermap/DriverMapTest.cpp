// The driver mapping: a driver name with a module mapped to it per user or system-wide
// loads that module, and a mapping that names no usable module leaves the driver absent.
#include "component/access/DriverLoading.h"
#include "component/access/DriverMap.h"
#include "tests/drivermap/MappedDriverFixture.h"

#include <dlfcn.h>
#include <fstream>
#include <string>

namespace {

using norva::MappingScope;

const DriverEntry& Driver(const char* name) {
    const DriverEntry* driver = DriverForLibrary(name);
    EXPECT_NE(driver, nullptr) << name;
    return driver != nullptr ? *driver : DriverTable()[0];
}

class DriverMap : public MappedDriverTest {
protected:
    void SetUp() override {
        folder = (temp.path() / "config").string();
        std::filesystem::create_directories(folder);
        std::ofstream(folder + "/notes.txt") << "not a library\n";
    }
    void Map(MappingScope scope, const char* driver, const std::string& module) {
        ASSERT_EQ(norva::WriteDriverMapping(scope, Driver(driver), module), ERROR_SUCCESS);
    }
    std::string folder;
};

struct MappingCase {
    const char* what;
    const char* userModule;   // "" for no per-user entry, "=" for an empty path; a leading
                              // "@" stands for the test's config folder
    const char* systemModule; // "" for no system-wide entry
    const char* requested;    // the name the component asks for
    const char* expected;     // the module that must be loaded; "" for none
    DWORD error;              // the last error when none is loaded
};

// Module names are files of the build's bin folder, except those starting with '@'.
class DriverMapLoading : public DriverMap, public ::testing::WithParamInterface<MappingCase> {
protected:
    std::string Resolve(const std::string& module) {
        if (module == "=") {
            return "";
        }
        if (module.empty() || module[0] == '/') {
            return module;
        }
        if (module[0] == '@') {
            return folder + module.substr(1);
        }
        return module.find('/') == std::string::npos
                   ? (norva::test::ProgramFolder() / module).string()
                   : module;
    }
};

TEST_P(DriverMapLoading, LoadsTheMappedModuleOrNothing) {
    const MappingCase& c = GetParam();
    const std::string userModule = c.userModule;
    const std::string systemModule = c.systemModule;
    const DriverEntry& driver = Driver(c.requested);
    const char* mappedDriver = driver.libraryName;
    if (!userModule.empty()) {
        Map(MappingScope::User, mappedDriver, Resolve(userModule));
    }
    if (!systemModule.empty()) {
        Map(MappingScope::System, mappedDriver, Resolve(systemModule));
    }
    SetLastError(0);
    HMODULE module = LoadDriverLibrary(driver);
    const std::string expected = c.expected;
    if (expected.empty()) {
        EXPECT_EQ(module, nullptr) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        return;
    }
    ASSERT_NE(module, nullptr) << c.what;
    void* same = dlopen(Resolve(expected).c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(static_cast<void*>(module), same) << c.what;
    if (same != nullptr) {
        dlclose(same);
    }
    EXPECT_TRUE(FreeLibrary(module));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverMapLoading,
    ::testing::Values(
        MappingCase{"per user", "libtokensim.so", "", "tavlink.dll", "libtokensim.so", 0},
        MappingCase{"system-wide", "", "libtokensim.so", "eTpkcs11.dll", "libtokensim.so", 0},
        MappingCase{"any letter case", "libtokensim.so", "", "ETPKCS11.DLL", "libtokensim.so", 0},
        MappingCase{"device driver", "libhlsim.so", "", "brevo32.dll", "libhlsim.so", 0},
        MappingCase{"per user wins", "libtokensim_partial.so", "libtokensim.so", "tavlink.dll",
                    "libtokensim_partial.so", 0},
        MappingCase{"missing per-user module hides the system-wide one", "/no/such/module.so",
                    "libtokensim.so", "tavlink.dll", "", ERROR_MOD_NOT_FOUND},
        MappingCase{"relative path", "tools/../libtokensim.so", "", "tavlink.dll", "",
                    ERROR_MOD_NOT_FOUND},
        MappingCase{"empty path", "=", "", "tavlink.dll", "", ERROR_MOD_NOT_FOUND},
        MappingCase{"folder", "@", "", "tavlink.dll", "", ERROR_BAD_EXE_FORMAT},
        MappingCase{"text file", "@/notes.txt", "", "tavlink.dll", "", ERROR_BAD_EXE_FORMAT},
        MappingCase{"library that is no PKCS#11 module", "libplatform_testlib.so", "",
                    "tavlink.dll", "", ERROR_BAD_EXE_FORMAT},
        MappingCase{"PKCS#11 module for the device driver", "libtokensim.so", "", "brevo32.dll", "",
                    ERROR_BAD_EXE_FORMAT},
        MappingCase{"unmapped name is searched for as always", "", "", "tavlink.dll", "",
                    ERROR_MOD_NOT_FOUND}));

} // namespace
