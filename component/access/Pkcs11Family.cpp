// The PKCS#11 family: tokens in slots, found by a slot scan that the slot-scan cache
// saves while the number of slots with a token stays the same; a login lives in its
// session.
#include <algorithm>

#include "component/access/CTokenAccess.h"
#include "component/access/ITokenFamily.h"
#include "component/access/TokenLabels.h"

namespace {

constexpr CK_ULONG kMaxSlots = 20;
constexpr CK_FLAGS kPresentHardwareToken = CKF_HW_SLOT | CKF_TOKEN_PRESENT;

class CPkcs11Family : public ITokenFamily {
public:
    LONG CountTokens(CTokenAccess& access, TokenScope scope, Fallback fallback,
                     Families families) const override;
    TZentorError LogIn(CTokenAccess& access, CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin,
                       LoginDepth depth) const override {
        return access.Login(slot, userType, pin, depth);
    }
    void EndSession(CTokenAccess& access) const override {
        // A session that the driver would not close keeps its login, and the token then
        // refuses the next login of another kind: the close is asked for once more.
        if (access.SessionOpen() &&
            access.CallUnrecorded(&Pkcs11Table::C_CloseSession, access.Session()) != CKR_OK) {
            access.CallUnrecorded(&Pkcs11Table::C_CloseSession, access.Session());
        }
    }

private:
    static void ScanSlot(CTokenAccess& access, CK_SLOT_ID slot);
};

LONG CPkcs11Family::CountTokens(CTokenAccess& access, TokenScope scope, Fallback fallback,
                                Families families) const {
    TokenCaches& caches = access.Caches();
    CK_SLOT_ID slots[kMaxSlots] = {};
    CK_ULONG count = kMaxSlots;
    const CK_RV rv = access.Call(&Pkcs11Table::C_GetSlotList, CK_TRUE, slots, &count);
    if (rv != CKR_OK || count == 0) {
        caches.slotCount = 0;
        caches.tokenCount = 0;
        caches.norvaTokenCount = 0;
        return fallback == Fallback::AutoDetect ? access.AutoDetectDriver(scope, families) : 0;
    }
    // A driver that claims more slots than the list holds is read only as far as the list.
    count = std::min(count, kMaxSlots);
    const bool cached = static_cast<LONG>(count) == caches.slotCount && caches.tokenCount > 0;
    if (!cached) {
        const LONG slotCount = static_cast<LONG>(count);
        caches = {}; // the holder record and the public key are read again
        caches.slotCount = slotCount;
        for (CK_ULONG i = 0; i < count; ++i) {
            ScanSlot(access, slots[i]);
        }
        if (caches.tokenCount == 0 && fallback == Fallback::AutoDetect) {
            return access.AutoDetectDriver(scope, families);
        }
    }
    // The cache answers as a rescan would: with more than one token present, a count of
    // service tokens reports all of them.
    return scope == TokenScope::Any ? caches.tokenCount : caches.ServiceCount();
}

void CPkcs11Family::ScanSlot(CTokenAccess& access, CK_SLOT_ID slot) {
    TokenCaches& caches = access.Caches();
    CK_SLOT_INFO slotInfo = {};
    const CK_RV rv = access.Call(&Pkcs11Table::C_GetSlotInfo, slot, &slotInfo);
    if (rv != CKR_OK || (slotInfo.flags & kPresentHardwareToken) != kPresentHardwareToken) {
        return;
    }
    CK_TOKEN_INFO tokenInfo = {};
    if (access.CallUnrecorded(&Pkcs11Table::C_GetTokenInfo, slot, &tokenInfo) != CKR_OK) {
        // Some readers cannot describe the token they hold; it still counts.
        if (IsPendrelReader(slotInfo)) {
            ++caches.pendrelReaderCount;
            ++caches.tokenCount;
            caches.anySlot = slot;
        }
        return;
    }
    ++caches.tokenCount;
    caches.anySlot = slot;
    if (IsNorvaLabel(tokenInfo)) {
        ++caches.norvaTokenCount;
        caches.serviceSlot = slot;
        std::copy_n(tokenInfo.serialNumber, sizeof caches.serviceSerial, caches.serviceSerial);
    }
}

} // namespace

const ITokenFamily& Pkcs11Family() {
    static const CPkcs11Family family;
    return family;
}
