// The token-access layer of one CZentor object: the current driver library, what
// operations learned through it (TokenCaches), the session and login state, and the last
// driver result that PKCS11Error reports.
//
// A token operation runs: EndSession; LoginToToken (or SelectToken and Login), which
// chooses a driver automatically when none is chosen; its own driver calls through Call
// (recorded) or CallUnrecorded/HlCall (not recorded); EndSession again unless it leaves
// its session for the caller. Every operation returns a TZentorError.
#pragma once

#include <memory>

#include "component/base/ZentorErrors.h"
#include "component/access/AccessChoices.h"
#include "component/access/CTokenDriver.h"
#include "component/access/TokenCaches.h"

class CTokenAccess {
public:
    CTokenAccess() = default;
    ~CTokenAccess();
    CTokenAccess(const CTokenAccess&) = delete;
    CTokenAccess& operator=(const CTokenAccess&) = delete;

    // --- The driver ---
    // 1, 2 or 3 for the current driver, 0 when none is chosen.
    LONG CardType() const { return driver ? driver->GetCardType() : 0; }
    bool HasDriver() const { return driver != nullptr; }
    bool IsHl() const { return driver && driver->IsHl(); }
    bool IsLoaded() const { return driver && driver->IsLoaded(); }
    // The current driver's family; only with a driver chosen (HasDriver).
    const ITokenFamily& Family() const { return driver->Family(); }
    // Destroys the current driver (without ending its session), then loads the library of
    // `cardType`; any other number leaves no driver, so the next operation chooses one.
    void UseDriver(LONG cardType);
    void DropDriver() { UseDriver(0); }
    // Whether any of the three libraries can be loaded (each probed in turn).
    static bool DriversInstalled();

    // --- Discovery and selection ---
    LONG CountTokens(TokenScope scope, Fallback fallback, Families families);
    LONG AutoDetectDriver(TokenScope scope, Families families);
    LONG CountHlTokens(TokenScope scope, Fallback fallback);
    // What TokensCount and NorvaEFTTokensCount report: a count with automatic choice,
    // taken again over all libraries when a reader that could not describe its token was
    // seen; ends the session.
    LONG CountForCaller(TokenScope scope);
    // Exactly one suitable token: ZTNoError with its slot, else 1, 2 or 13.
    TZentorError SelectToken(TokenScope scope, CK_SLOT_ID& slot, Families families);
    // The next count rescans the slots.
    void ResetSlotCache() { caches.slotCount = 0; }

    // --- Sessions and login ---
    TZentorError OpenSession(CK_SLOT_ID slot);
    TZentorError Login(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin, LoginDepth depth);
    TZentorError HlOpen();
    TZentorError HlLogon(BSTR pin, LoginDepth depth);
    // SelectToken for a service token over all families, then the login of its family.
    TZentorError LoginToToken(CK_USER_TYPE userType, BSTR pin, LoginDepth depth);
    void EndSession();
    CK_SESSION_HANDLE Session() const { return session; }
    bool SessionOpen() const { return sessionOpen; }
    bool LoggedIn() const { return loggedIn; }
    int32_t HlHandle() const { return driver ? driver->HlHandle() : -1; }

    // --- Objects ---
    TZentorError FindObject(CK_OBJECT_CLASS objectClass, BSTR label, CK_OBJECT_HANDLE& handle,
                            Visibility visibility);
    // Service token, PKCS#11 family only; the session is left open for the caller.
    TZentorError ReadDataObject(BSTR pin, BSTR label, CK_BYTE* buffer, CK_ULONG& length,
                                Visibility visibility);
    TZentorError WriteDataObject(BSTR pin, BSTR label, const CK_BYTE* data, CK_ULONG length,
                                 Visibility visibility);

    // --- Caches of the current driver ---
    TokenCaches& Caches() { return caches; }
    const TokenCaches& Caches() const { return caches; }

    // --- Driver calls ---
    // A PKCS#11 call whose CK_RV PKCS11Error reports:
    //   access.Call(&Pkcs11Table::C_SignInit, access.Session(), &mechanism, key);
    template <typename Entry, typename... Args>
    CK_RV Call(Entry Pkcs11Table::*entry, Args... args) {
        return Record((Pkcs11().*entry)(args...));
    }
    // A PKCS#11 call whose result is not reported (C_GetTokenInfo, C_FindObjectsFinal,
    // C_CloseSession, C_CloseAllSessions, ...).
    template <typename Entry, typename... Args>
    CK_RV CallUnrecorded(Entry Pkcs11Table::*entry, Args... args) {
        return (Pkcs11().*entry)(args...);
    }
    // An hl_* call; their results are never reported in PKCS11Error.
    template <typename Entry, typename... Args>
    int32_t HlCall(Entry HlTable::*entry, Args... args) {
        return (Hl().*entry)(args...);
    }
    // Stores a result as the last driver result, for operations that report one of their
    // own (84 for what the hl_* family cannot do).
    CK_RV Record(CK_RV rv) {
        lastResult = static_cast<TPKCS11Error>(rv);
        return rv;
    }
    TPKCS11Error LastDriverResult() const { return lastResult; }

    // The current driver's entry tables; with no driver, tables of stubs answering 84.
    Pkcs11Table& Pkcs11();
    HlTable& Hl();

private:
    LONG CountInsertedCard(TokenScope scope);
    LONG TryLibrary(LONG cardType);
    TZentorError EnterDataSession(BSTR pin, Visibility visibility);

    std::unique_ptr<CTokenDriver> driver;
    TokenCaches caches;
    TPKCS11Error lastResult = ZT_CKR_OK;
    CK_SESSION_HANDLE session = 0;
    bool sessionOpen = false;
    bool loggedIn = false;
};
