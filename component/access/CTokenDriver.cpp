#include "component/access/CTokenDriver.h"

#include "component/access/DriverLoading.h"
#include "component/access/LibraryUseCounts.h"

namespace {

void Initialise(void* table) {
    CK_C_INITIALIZE_ARGS args = {};
    args.flags = CKF_OS_LOCKING_OK;
    static_cast<Pkcs11Table*>(table)->C_Initialize(&args);
}

void Finalise(void* table) {
    static_cast<Pkcs11Table*>(table)->C_Finalize(nullptr);
}

} // namespace

CTokenDriver::CTokenDriver(const DriverEntry& entry)
    : entry(entry), module(LoadDriverLibrary(entry)) {
    ResolveHlTable(IsHl() ? module : nullptr, hl);
    ResolvePkcs11Table(IsHl() ? nullptr : module, p11);
    if (IsHl() || module == nullptr) {
        return;
    }
    // The first user of this library in the process initialises it. The result is
    // deliberately not looked at: a library that failed to initialise shows it in the
    // next recorded call.
    AcquireLibraryUse(module, Initialise, &p11);
}

CTokenDriver::~CTokenDriver() {
    if (module == nullptr) {
        return;
    }
    if (IsHl()) {
        hl.hl_off(hlHandle); // also with no handle open (-1)
    } else {
        ReleaseLibraryUse(module, Finalise, &p11);
    }
    FreeLibrary(module);
    module = nullptr;
}

LONG CTokenDriver::AcquireLibrary(HMODULE module) {
    return AcquireLibraryUse(module);
}

LONG CTokenDriver::ReleaseLibrary(HMODULE module) {
    return ReleaseLibraryUse(module);
}
