#include "component/access/CTokenDriver.h"

#include "component/access/LibraryUseCounts.h"

namespace {

struct CardLibrary {
    LONG cardType;
    const char* libraryName;
};

constexpr CardLibrary kCardLibraries[] = {
    {kCardTavlink, "tavlink.dll"},
    {kCardBrevo, "brevo32.dll"},
    {kCardEToken, "eTpkcs11.dll"},
};

} // namespace

const char* DriverLibraryName(LONG cardType) {
    for (const CardLibrary& entry : kCardLibraries) {
        if (entry.cardType == cardType) {
            return entry.libraryName;
        }
    }
    return nullptr;
}

CTokenDriver::CTokenDriver(const char* libraryName, LONG cardType)
    : module(LoadLibraryA(libraryName)), cardType(cardType) {
    // The other family's table holds only stubs, so a stray call through it answers 84
    // instead of jumping through a null pointer.
    ResolveHlTable(IsHl() ? module : nullptr, hl);
    ResolvePkcs11Table(IsHl() ? nullptr : module, p11);
    if (IsHl() || module == nullptr || AcquireLibrary(module) != 1) {
        return;
    }
    // First user of this library in the process. The result is deliberately not looked
    // at: a library that failed to initialise shows it in the next recorded call.
    CK_C_INITIALIZE_ARGS args = {};
    args.flags = CKF_OS_LOCKING_OK;
    p11.C_Initialize(&args);
}

CTokenDriver::~CTokenDriver() {
    if (module == nullptr) {
        return;
    }
    if (IsHl()) {
        hl.hl_off(hlHandle); // also with no handle open (-1)
    } else if (ReleaseLibrary(module) == 0) {
        p11.C_Finalize(nullptr); // last user in the process
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
