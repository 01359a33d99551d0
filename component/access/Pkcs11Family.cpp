// The PKCS#11 family: tokens in slots, found by a slot scan that the slot-scan cache
// saves while the number of slots with a token stays the same; a login lives in its
// session, so closing the session is the logout.
#include <algorithm>

#include "component/access/AnsiText.h"
#include "component/access/CTokenDriver.h"
#include "component/access/DriverResults.h"
#include "component/access/LibraryUseCounts.h"
#include "component/access/TokenLabels.h"

namespace {

constexpr CK_ULONG kMaxSlots = 20;
constexpr CK_FLAGS kPresentHardwareToken = CKF_HW_SLOT | CKF_TOKEN_PRESENT;
constexpr CK_FLAGS kSessionFlags = CKF_RW_SESSION | CKF_SERIAL_SESSION;

void Initialise(void* table) {
    CK_C_INITIALIZE_ARGS args = {};
    args.flags = CKF_OS_LOCKING_OK;
    static_cast<Pkcs11Table*>(table)->C_Initialize(&args);
}

void Finalise(void* table) {
    static_cast<Pkcs11Table*>(table)->C_Finalize(nullptr);
}

class CPkcs11Driver : public CTokenDriver {
public:
    CPkcs11Driver(const DriverEntry& entry, TPKCS11Error& results) : CTokenDriver(entry, results) {
        // The first user of this library in the process initialises it. The result is
        // deliberately not looked at: a library that failed to initialise shows it in the
        // next recorded call.
        if (module != nullptr) {
            AcquireLibraryUse(module, Initialise, &p11);
        }
    }
    ~CPkcs11Driver() override {
        if (module != nullptr) {
            ReleaseLibraryUse(module, Finalise, &p11);
        }
    }

    LONG CountTokens(TokenScope scope) override;
    TZentorError LogIn(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin, LoginDepth depth) override;
    void EndSession() override;
    TZentorError ChangePin(BSTR oldPin, BSTR newPin) override;
    TokenOnly CheckTokenOnly() override { return TokenOnly::Possible; }
    bool DataComesWithCard() const override { return false; }

private:
    void ScanSlot(CK_SLOT_ID slot);
    TZentorError OpenSession(CK_SLOT_ID slot);
};

LONG CPkcs11Driver::CountTokens(TokenScope scope) {
    CK_SLOT_ID slots[kMaxSlots] = {};
    CK_ULONG count = kMaxSlots;
    const CK_RV rv = Call(&Pkcs11Table::C_GetSlotList, CK_TRUE, slots, &count);
    if (rv != CKR_OK || count == 0) {
        caches.slotCount = 0;
        caches.tokenCount = 0;
        caches.norvaTokenCount = 0;
        return 0;
    }
    // A driver that claims more slots than the list holds is read only as far as the list.
    count = std::min(count, kMaxSlots);
    const bool cached = static_cast<LONG>(count) == caches.slotCount && caches.tokenCount > 0;
    if (!cached) {
        const LONG slotCount = static_cast<LONG>(count);
        caches = {}; // the holder record and the public key are read again
        caches.slotCount = slotCount;
        for (CK_ULONG i = 0; i < count; ++i) {
            ScanSlot(slots[i]);
        }
    }
    // The cache answers as a rescan would: with more than one token present, a count of
    // service tokens reports all of them.
    return scope == TokenScope::Any ? caches.tokenCount : caches.ServiceCount();
}

void CPkcs11Driver::ScanSlot(CK_SLOT_ID slot) {
    CK_SLOT_INFO slotInfo = {};
    const CK_RV rv = Call(&Pkcs11Table::C_GetSlotInfo, slot, &slotInfo);
    if (rv != CKR_OK || (slotInfo.flags & kPresentHardwareToken) != kPresentHardwareToken) {
        return;
    }
    CK_TOKEN_INFO tokenInfo = {};
    if (CallUnrecorded(&Pkcs11Table::C_GetTokenInfo, slot, &tokenInfo) != CKR_OK) {
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

TZentorError CPkcs11Driver::OpenSession(CK_SLOT_ID slot) {
    if (!sessionOpen) {
        const CK_RV rv =
            Call(&Pkcs11Table::C_OpenSession, slot, kSessionFlags, nullptr, nullptr, &session);
        sessionOpen = rv == CKR_OK;
    }
    return sessionOpen ? ZTNoError : ZTOpenSessionFailed;
}

TZentorError CPkcs11Driver::LogIn(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin,
                                  LoginDepth depth) {
    if (loggedIn) {
        return ZTNoError;
    }
    if (OpenSession(slot) != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    if (depth == LoginDepth::SessionOnly) {
        return ZTNoError;
    }
    const CK_ULONG pinLength = Utf16Length(pin);
    std::string pinBytes = PinText(pin);
    const CK_RV rv = Call(&Pkcs11Table::C_Login, session, userType,
                          reinterpret_cast<CK_UTF8CHAR*>(pinBytes.data()), pinLength);
    const TZentorError result = MapLoginResult(rv);
    loggedIn = result == ZTNoError;
    return result;
}

void CPkcs11Driver::EndSession() {
    // A session that the driver would not close keeps its login, and the token then
    // refuses the next login of another kind: the close is asked for once more.
    if (sessionOpen && CallUnrecorded(&Pkcs11Table::C_CloseSession, session) != CKR_OK) {
        CallUnrecorded(&Pkcs11Table::C_CloseSession, session);
    }
    sessionOpen = false;
    loggedIn = false;
}

TZentorError CPkcs11Driver::ChangePin(BSTR oldPin, BSTR newPin) {
    std::string oldBytes = PinText(oldPin);
    std::string newBytes = PinText(newPin);
    const CK_RV rv =
        Call(&Pkcs11Table::C_SetPIN, session, reinterpret_cast<CK_UTF8CHAR*>(oldBytes.data()),
             CK_ULONG{Utf16Length(oldPin)}, reinterpret_cast<CK_UTF8CHAR*>(newBytes.data()),
             CK_ULONG{Utf16Length(newPin)});
    return rv == CKR_OK ? ZTNoError : ZTInitPINFailed;
}

} // namespace

std::unique_ptr<CTokenDriver> CreatePkcs11Driver(const DriverEntry& entry, TPKCS11Error& results) {
    return std::make_unique<CPkcs11Driver>(entry, results);
}
