// The token-access layer of one CZentor object: the current driver (CTokenDriver, which
// owns its library, caches, session and login), the choice of driver and token, and the
// last driver result that PKCS11Error reports.
//
// A token operation holds a CSessionScope for as long as it works with the token, which
// ends the session and login on every path out of it; LoginToToken (or SelectToken and
// the driver's LogIn) chooses a driver automatically when none is chosen; the operation
// then asks the driver for what it needs. Every operation returns a TZentorError.
#pragma once

#include <memory>

#include "component/base/ZentorErrors.h"
#include "component/access/AccessChoices.h"
#include "component/access/CTokenDriver.h"

class CTokenAccess {
public:
    CTokenAccess() = default;
    ~CTokenAccess() { Release(); }
    CTokenAccess(const CTokenAccess&) = delete;
    CTokenAccess& operator=(const CTokenAccess&) = delete;

    // Ends the session of the access when it goes, whichever way the operation holding it
    // is left. With SessionStart::Fresh it first ends a session an earlier operation
    // left open, so that the operation starts from none.
    class CSessionScope {
    public:
        explicit CSessionScope(CTokenAccess& access, SessionStart start = SessionStart::AsLeft)
            : access(access) {
            if (start == SessionStart::Fresh) {
                access.EndSession();
            }
        }
        ~CSessionScope() { access.EndSession(); }
        CSessionScope(const CSessionScope&) = delete;
        CSessionScope& operator=(const CSessionScope&) = delete;

    private:
        CTokenAccess& access;
    };

    // --- The driver ---
    // 1, 2 or 3 for the current driver, 0 when none is chosen.
    LONG CardType() const { return driver ? driver->GetCardType() : 0; }
    // Destroys the current driver (without ending its session), then loads the library of
    // `cardType`; any other number leaves no driver, so the next operation chooses one.
    void UseDriver(LONG cardType);
    // Ends the session and lets the driver go.
    void Release();
    // Whether any driver library can be loaded (each probed in turn).
    static bool DriversInstalled();
    // The current driver; only after an operation chose one (a successful SelectToken or
    // LoginToToken, or UseDriver with a card type).
    CTokenDriver& Driver() { return *driver; }

    // --- Discovery and selection ---
    // Tries each library in turn and keeps the one that sees exactly one suitable token;
    // returns the count over the libraries (ends with no driver when it is not 1).
    LONG AutoDetectDriver(TokenScope scope, Families families);
    // What TokensCount and NorvaEFTTokensCount report: a count with automatic choice,
    // taken again over all libraries when a reader that could not describe its token was
    // seen; ends the session.
    LONG CountForCaller(TokenScope scope);
    // Exactly one suitable token: ZTNoError with its slot, else 1, 2 or 13.
    TZentorError SelectToken(TokenScope scope, CK_SLOT_ID& slot, Families families);
    // Ends any session, selects a service token over all families and logs in to it.
    TZentorError LoginToToken(CK_USER_TYPE userType, BSTR pin, LoginDepth depth);
    // Whether what only PKCS#11 tokens do can be tried with the current driver.
    TokenOnly CheckTokenOnly() { return driver ? driver->CheckTokenOnly() : TokenOnly::Possible; }

    // --- Objects (PKCS#11 family) ---
    TZentorError FindObject(CK_OBJECT_CLASS objectClass, BSTR label, CK_OBJECT_HANDLE& handle,
                            Visibility visibility);
    // Service token, PKCS#11 family only; the session is left open for the caller.
    TZentorError ReadDataObject(BSTR pin, BSTR label, CK_BYTE* buffer, CK_ULONG& length,
                                Visibility visibility);
    TZentorError WriteDataObject(BSTR pin, BSTR label, const CK_BYTE* data, CK_ULONG length,
                                 Visibility visibility);

    TPKCS11Error LastDriverResult() const { return lastResult; }

private:
    // The current driver's count; with no driver, or with none seen and AutoDetect, the
    // count of automatic choice.
    LONG CountTokens(TokenScope scope, Fallback fallback, Families families);
    void EndSession();
    LONG TryLibrary(LONG cardType);
    TZentorError EnterDataSession(BSTR pin, Visibility visibility);

    std::unique_ptr<CTokenDriver> driver;
    TPKCS11Error lastResult = ZT_CKR_OK;
};
