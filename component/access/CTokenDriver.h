// One loaded driver library with everything that belongs to it: its entry points, what
// token operations learned through it (TokenCaches) and its session and login state.
// Card types 1 and 3 are PKCS#11 libraries (CPkcs11Driver), card type 2 the vendor's
// hl_* device library (CHlDriver); each family does counting, login, ending a session
// and changing a PIN in its own way, and callers ask the driver to do them instead of
// asking which family it is.
//
// Construction never fails: a library that cannot be loaded leaves the driver with
// stubs that answer CKR_FUNCTION_NOT_SUPPORTED (84). Only the table of the driver's
// family holds the library's functions; the other holds stubs, so a stray call through
// it answers 84 too.
#pragma once

#include <memory>
#include <string_view>

#include "component/base/ZentorErrors.h"
#include "component/access/AccessChoices.h"
#include "component/access/DriverEntryPoints.h"
#include "component/access/DriverTable.h"
#include "component/access/TokenCaches.h"
#include "platform/WinApi.h"

class CTokenDriver {
public:
    // The driver of the entry's family. Results of recorded calls go to `results`, which
    // outlives the driver (the object's PKCS11Error survives a change of driver).
    static std::unique_ptr<CTokenDriver> Create(const DriverEntry& entry, TPKCS11Error& results);
    virtual ~CTokenDriver();
    CTokenDriver(const CTokenDriver&) = delete;
    CTokenDriver& operator=(const CTokenDriver&) = delete;

    bool IsLoaded() const { return module != nullptr; }
    LONG GetCardType() const { return entry.cardType; }
    DriverFamily Family() const { return entry.family; }

    // --- What each family does in its own way ---
    // The tokens the driver sees, filling the slot-scan cache; never another driver's.
    virtual LONG CountTokens(TokenScope scope) = 0;
    // The login once the token is selected (slot: the selected slot).
    virtual TZentorError LogIn(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin,
                               LoginDepth depth) = 0;
    // Closes what a login keeps open; afterwards there is no session and no login.
    virtual void EndSession() = 0;
    // Changes the user's PIN after a user login: ZTNoError or ZTInitPINFailed.
    virtual TZentorError ChangePin(BSTR oldPin, BSTR newPin) = 0;
    // Whether the driver can do what only PKCS#11 tokens do (an officer login, generating
    // a key pair); a device with its card present records 84 for the refusal.
    virtual TokenOnly CheckTokenOnly() = 0;
    // Whether the holder record and the public key come with the card when it is read
    // (the device; its record is never written), instead of from the token's objects.
    virtual bool DataComesWithCard() const = 0;

    // --- Session state ---
    CK_SESSION_HANDLE Session() const { return session; }
    // The device handle, -1 while none is open.
    int32_t HlHandle() const { return hlHandle; }

    // --- What operations learned through the driver ---
    const TokenCaches& Caches() const { return caches; }
    void KeepRecord(const UserRecord& record) { caches.record = record; }
    // Keeps the public key's text when it fits the cache; a longer one is not kept.
    void KeepPublicKey(std::string_view hexText);
    void ForgetPublicKey() { caches.publicKey[0] = '\0'; }
    // The next count looks at the slots again.
    void ForgetSlots() { caches.slotCount = 0; }

    // --- Driver calls ---
    // A PKCS#11 call whose CK_RV PKCS11Error reports:
    //   driver.Call(&Pkcs11Table::C_SignInit, driver.Session(), &mechanism, key);
    template <typename Entry, typename... Args>
    CK_RV Call(Entry Pkcs11Table::*function, Args... args) {
        return ReportResult((p11.*function)(args...));
    }
    // A PKCS#11 call whose result is not reported (C_GetTokenInfo, C_FindObjectsFinal,
    // C_CloseSession, C_CloseAllSessions, ...).
    template <typename Entry, typename... Args>
    CK_RV CallUnrecorded(Entry Pkcs11Table::*function, Args... args) {
        return (p11.*function)(args...);
    }
    // An hl_* call; their results are never reported in PKCS11Error.
    template <typename Entry, typename... Args>
    int32_t HlCall(Entry HlTable::*function, Args... args) {
        return (hl.*function)(args...);
    }

protected:
    CTokenDriver(const DriverEntry& entry, TPKCS11Error& results);

    // Makes a result the one PKCS11Error reports, for what a family reports of its own
    // (84 for what the hl_* family cannot do).
    CK_RV ReportResult(CK_RV rv) {
        results = static_cast<TPKCS11Error>(rv);
        return rv;
    }

    const DriverEntry& entry;
    HMODULE module;
    Pkcs11Table p11 = {};
    HlTable hl = {};
    TPKCS11Error& results;
    TokenCaches caches;
    CK_SESSION_HANDLE session = 0;
    bool sessionOpen = false;
    bool loggedIn = false;
    int32_t hlHandle = -1;
};
