// Which signing family serves the current driver: each driver family of the driver table
// has its own.
#include "component/access/CTokenAccess.h"
#include "component/signing/ISigningFamily.h"

const ISigningFamily& SigningFamilyOf(CTokenAccess& access) {
    static constexpr struct {
        DriverFamily family;
        const ISigningFamily& (*signing)();
    } kSigningFamilies[] = {
        {DriverFamily::Pkcs11, &Pkcs11Signing},
        {DriverFamily::Hl, &HlSigning},
    };
    const DriverFamily family = access.Driver().Family();
    for (const auto& entry : kSigningFamilies) {
        if (entry.family == family) {
            return entry.signing();
        }
    }
    return Pkcs11Signing();
}
