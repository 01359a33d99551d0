#include "component/access/CTokenDriver.h"

#include <cstring>

#include "component/access/DriverLoading.h"

std::unique_ptr<CTokenDriver> CreatePkcs11Driver(const DriverEntry& entry, TPKCS11Error& results);
std::unique_ptr<CTokenDriver> CreateHlDriver(const DriverEntry& entry, TPKCS11Error& results);

std::unique_ptr<CTokenDriver> CTokenDriver::Create(const DriverEntry& entry,
                                                   TPKCS11Error& results) {
    return entry.family == DriverFamily::Hl ? CreateHlDriver(entry, results)
                                            : CreatePkcs11Driver(entry, results);
}

CTokenDriver::CTokenDriver(const DriverEntry& entry, TPKCS11Error& results)
    : entry(entry), module(LoadDriverLibrary(entry)), results(results) {
    const bool hlFamily = entry.family == DriverFamily::Hl;
    ResolveHlTable(hlFamily ? module : nullptr, hl);
    ResolvePkcs11Table(hlFamily ? nullptr : module, p11);
}

CTokenDriver::~CTokenDriver() {
    if (module != nullptr) {
        FreeLibrary(module);
    }
}

void CTokenDriver::KeepPublicKey(std::string_view hexText) {
    if (hexText.size() < kPublicKeyCacheSize) {
        std::memcpy(caches.publicKey, hexText.data(), hexText.size());
        caches.publicKey[hexText.size()] = '\0';
    }
}
