// The driver of a CTokenAccess: replacing it, the DriversInstalled probe, and the entry
// tables that calls go through.
#include "component/access/CTokenAccess.h"

#include <array>

CTokenAccess::~CTokenAccess() {
    if (driver) {
        EndSession();
        DropDriver();
    }
}

void CTokenAccess::UseDriver(LONG cardType) {
    // The old library is finalised (or sent hl_off) before the next one is loaded and
    // initialised, and what was learned through it is forgotten with it.
    driver.reset();
    caches = {};
    sessionOpen = false;
    loggedIn = false;
    if (const DriverEntry* entry = DriverForCardType(cardType)) {
        driver = std::make_unique<CTokenDriver>(*entry);
    }
}

bool CTokenAccess::DriversInstalled() {
    // All are loaded before any is tested, and destroyed in reverse order.
    std::array<std::unique_ptr<CTokenDriver>, kDriverCount> probes;
    for (size_t i = 0; i < probes.size(); ++i) {
        probes[i] = std::make_unique<CTokenDriver>(DriverTable()[i]);
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

namespace {

// Tables of stubs only, for calls made while no driver is chosen.
struct StubTables {
    StubTables() {
        ResolvePkcs11Table(nullptr, p11);
        ResolveHlTable(nullptr, hl);
    }
    Pkcs11Table p11 = {};
    HlTable hl = {};
};

StubTables& Stubs() {
    static StubTables stubs;
    return stubs;
}

} // namespace

Pkcs11Table& CTokenAccess::Pkcs11() {
    return driver ? driver->Pkcs11() : Stubs().p11;
}

HlTable& CTokenAccess::Hl() {
    return driver ? driver->Hl() : Stubs().hl;
}
