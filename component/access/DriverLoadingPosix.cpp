#include "component/access/DriverLoading.h"

#include <string>

#include "component/access/DriverMap.h"

namespace {

// The mapped module of a driver. A mapping that names no usable module leaves the driver
// absent, as if no library of that name existed.
bool LoadMapped(const DriverEntry& driver, HMODULE& module) {
    std::string path;
    norva::MappingScope scope{};
    if (!norva::FindDriverMapping(driver, path, scope)) {
        return false;
    }
    void* handle = nullptr;
    std::string detail;
    switch (norva::OpenDriverModule(path, driver.family, handle, detail)) {
    case norva::ModuleCheck::Loaded:
        break;
    case norva::ModuleCheck::Missing:
        SetLastError(ERROR_MOD_NOT_FOUND);
        break;
    case norva::ModuleCheck::NotALibrary:
    case norva::ModuleCheck::NotADriver:
        SetLastError(ERROR_BAD_EXE_FORMAT);
        break;
    }
    module = static_cast<HMODULE>(handle);
    return true;
}

} // namespace

HMODULE LoadDriverLibrary(const DriverEntry& driver) {
    HMODULE mapped = nullptr;
    if (LoadMapped(driver, mapped)) {
        return mapped;
    }
    return LoadLibraryA(driver.libraryName);
}
