// The driver of a CTokenAccess: replacing it, ending its session, and the
// DriversInstalled probe.
#include "component/access/CTokenAccess.h"

#include <array>

void CTokenAccess::UseDriver(LONG cardType) {
    // The old library is finalised (or sent hl_off) before the next one is loaded and
    // initialised, and what was learned through it is forgotten with it.
    driver.reset();
    if (const DriverEntry* entry = DriverForCardType(cardType)) {
        driver = CTokenDriver::Create(*entry, lastResult);
    }
}

void CTokenAccess::Release() {
    if (driver) {
        EndSession();
        UseDriver(0);
    }
}

void CTokenAccess::EndSession() {
    if (driver) {
        driver->EndSession();
    }
}

bool CTokenAccess::DriversInstalled() {
    // All are loaded before any is tested, and destroyed in reverse order. The probes
    // make no recorded calls.
    TPKCS11Error unreported = ZT_CKR_OK;
    std::array<std::unique_ptr<CTokenDriver>, kDriverCount> probes;
    for (size_t i = 0; i < probes.size(); ++i) {
        probes[i] = CTokenDriver::Create(DriverTable()[i], unreported);
    }
    bool installed = false;
    for (const auto& probe : probes) {
        installed = installed || probe->IsLoaded();
    }
    for (size_t i = probes.size(); i-- > 0;) {
        probes[i].reset();
    }
    return installed;
}

TZentorError CTokenAccess::LoginToToken(CK_USER_TYPE userType, BSTR pin, LoginDepth depth) {
    EndSession(); // a login starts from no session
    CK_SLOT_ID slot = 0;
    const TZentorError selected = SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError) {
        return selected;
    }
    return driver->LogIn(slot, userType, pin, depth);
}
