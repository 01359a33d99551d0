// The hl_* family: one card in one device, read once per inserted card; the device
// handle stays open until the driver goes, a logon ends with hl_logoff.
#include "component/access/CTokenAccess.h"
#include "component/access/ITokenFamily.h"

namespace {

class CHlFamily : public ITokenFamily {
public:
    LONG CountTokens(CTokenAccess& access, TokenScope scope, Fallback fallback,
                     Families families) const override {
        return families == Families::Pkcs11Only ? 0 : access.CountHlTokens(scope, fallback);
    }
    TZentorError LogIn(CTokenAccess& access, CK_SLOT_ID, CK_USER_TYPE, BSTR pin,
                       LoginDepth depth) const override {
        return access.HlLogon(pin, depth);
    }
    void EndSession(CTokenAccess& access) const override {
        if (access.LoggedIn()) {
            access.HlCall(&HlTable::hl_logoff, access.HlHandle());
        }
    }
};

} // namespace

const ITokenFamily& HlFamily() {
    static const CHlFamily family;
    return family;
}
