// list, set and clear: the mapping of each driver name to a module, per user and
// system-wide.
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>

#include "tools/drivers/DriverTool.h"

namespace norva::tool {

namespace {

const char* ScopeText(MappingScope scope) {
    return scope == MappingScope::User ? "per user" : "system-wide";
}

MappingScope ScopeOf(const Arguments& arguments) {
    return arguments.system ? MappingScope::System : MappingScope::User;
}

// The driver a command names: "tavlink.dll", "TAVLINK" and "tavlink" alike.
const DriverEntry* NamedDriver(const std::string& word) {
    const DriverEntry* driver = DriverForLibrary(word);
    if (driver == nullptr) {
        driver = DriverForLibrary(word + ".dll");
    }
    if (driver == nullptr) {
        std::fprintf(stderr, "norva-drivers: unknown driver \"%s\" (%s)\n", word.c_str(),
                     DriverNamesText().c_str());
    }
    return driver;
}

// What the component will find for the driver through its mapping.
const char* MappedModuleState(const std::string& path, DriverFamily family) {
    void* handle = nullptr;
    std::string detail;
    switch (OpenDriverModule(path, family, handle, detail)) {
    case ModuleCheck::Loaded:
        dlclose(handle);
        return "module found";
    case ModuleCheck::Missing:
        return "MODULE MISSING: the driver is absent";
    case ModuleCheck::NotALibrary:
        return "NOT A LIBRARY: the driver is absent";
    case ModuleCheck::NotADriver:
        return family == DriverFamily::Pkcs11 ? "NOT A PKCS#11 MODULE: the driver is absent"
                                              : "NOT AN hl_* DRIVER: the driver is absent";
    }
    return "";
}

void ListDriver(const DriverEntry& driver) {
    std::string path;
    MappingScope scope{};
    if (!FindDriverMapping(driver, path, scope)) {
        std::printf("%s: not mapped (found by the library search, as lib%.*s.so)\n",
                    driver.libraryName, static_cast<int>(std::strlen(driver.libraryName) - 4),
                    driver.libraryName);
        return;
    }
    std::printf("%s: %s (%s; %s)\n", driver.libraryName, path.c_str(), ScopeText(scope),
                MappedModuleState(path, driver.family));
    std::string hidden;
    if (scope == MappingScope::User && ReadDriverMapping(MappingScope::System, driver, hidden)) {
        std::printf("  overrides the system-wide entry %s\n", hidden.c_str());
    }
}

int Stored(LONG status, const Arguments& arguments) {
    if (status == ERROR_SUCCESS) {
        return kDone;
    }
    std::fprintf(stderr, "norva-drivers: the %s mapping could not be stored (%s)\n",
                 ScopeText(ScopeOf(arguments)),
                 status == ERROR_ACCESS_DENIED ? "permission denied; the system-wide mapping "
                                                 "belongs to root"
                                               : "the store file cannot be read or written");
    return kStoreFailed;
}

} // namespace

std::string DriverNamesText() {
    std::string text;
    const auto drivers = DriverTable();
    for (size_t i = 0; i < drivers.size(); ++i) {
        text += i == 0 ? "" : (i + 1 == drivers.size() ? " or " : ", ");
        text += drivers[i].libraryName;
    }
    return text;
}

int ListMappings(const Arguments&) {
    for (const DriverEntry& driver : DriverTable()) {
        ListDriver(driver);
    }
    return kDone;
}

int SetMapping(const Arguments& arguments) {
    const DriverEntry* driver = NamedDriver(arguments.words[0]);
    if (driver == nullptr) {
        return kUsage;
    }
    std::error_code error;
    const std::string path =
        std::filesystem::absolute(arguments.words[1], error).lexically_normal().string();
    int check = kDone;
    if (driver->family == DriverFamily::Pkcs11) {
        check = CheckPkcs11Module(path);
    } else {
        void* handle = nullptr;
        check = OpenCheckedModule(path, driver->family, handle);
        if (handle != nullptr) {
            dlclose(handle);
        }
    }
    if (check != kDone && !arguments.force) {
        std::fprintf(stderr, "norva-drivers: nothing stored (--force stores it anyway)\n");
        return check;
    }
    const int stored = Stored(WriteDriverMapping(ScopeOf(arguments), *driver, path), arguments);
    if (stored == kDone) {
        std::printf("%s: %s (%s)\n", driver->libraryName, path.c_str(),
                    ScopeText(ScopeOf(arguments)));
    }
    return stored;
}

int ClearMapping(const Arguments& arguments) {
    std::vector<const DriverEntry*> drivers;
    if (arguments.words[0] == "--all") {
        for (const DriverEntry& driver : DriverTable()) {
            drivers.push_back(&driver);
        }
    } else if (const DriverEntry* driver = NamedDriver(arguments.words[0])) {
        drivers.push_back(driver);
    } else {
        return kUsage;
    }
    for (const DriverEntry* driver : drivers) {
        const LONG status = ClearDriverMapping(ScopeOf(arguments), *driver);
        if (status == ERROR_FILE_NOT_FOUND) {
            std::printf("%s: no %s entry\n", driver->libraryName, ScopeText(ScopeOf(arguments)));
        } else if (status == ERROR_SUCCESS) {
            std::printf("%s: %s entry cleared\n", driver->libraryName,
                        ScopeText(ScopeOf(arguments)));
        } else {
            return Stored(status, arguments);
        }
    }
    return kDone;
}

} // namespace norva::tool
