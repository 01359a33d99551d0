// One loaded driver library and its entry points. Card types 1 and 3 are PKCS#11
// libraries, card type 2 the vendor hl_* device library. Construction never fails: a
// library that cannot be loaded leaves the driver with stubs that answer
// CKR_FUNCTION_NOT_SUPPORTED (84). What operations learn through the driver lives in
// CTokenAccess, which owns the driver.
#pragma once

#include "component/access/DriverEntryPoints.h"
#include "component/access/DriverTable.h"
#include "component/access/ITokenFamily.h"
#include "platform/WinApi.h"

class CTokenDriver {
public:
    explicit CTokenDriver(const DriverEntry& entry);
    ~CTokenDriver();
    CTokenDriver(const CTokenDriver&) = delete;
    CTokenDriver& operator=(const CTokenDriver&) = delete;

    bool IsLoaded() const { return module != nullptr; }
    LONG GetCardType() const { return entry.cardType; }
    bool IsHl() const { return entry.family == DriverFamily::Hl; }
    // What the library's family does differently (counting, login, ending a session).
    const ITokenFamily& Family() const { return IsHl() ? HlFamily() : Pkcs11Family(); }

    // Only the table of the driver's family holds the library's functions; the other
    // holds stubs, so a stray call through it answers 84.
    Pkcs11Table& Pkcs11() { return p11; }
    HlTable& Hl() { return hl; }

    // hl_* family: the device handle, -1 while none is open. The driver sends hl_off
    // with it when it is destroyed.
    int32_t& HlHandle() { return hlHandle; }

    static LONG AcquireLibrary(HMODULE module);
    static LONG ReleaseLibrary(HMODULE module);

private:
    const DriverEntry& entry;
    HMODULE module;
    int32_t hlHandle = -1;
    Pkcs11Table p11 = {};
    HlTable hl = {};
};
