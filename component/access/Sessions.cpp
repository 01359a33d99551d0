// Sessions and login for both driver families. A PKCS#11 login lives in its session, so
// closing the session is the logout; the hl_* handle stays open until the driver is
// destroyed.
#include "component/access/AnsiText.h"
#include "component/access/CTokenAccess.h"
#include "component/access/DriverResults.h"
#include "component/access/HebrewKeyboard.h"

namespace {

constexpr CK_FLAGS kSessionFlags = CKF_RW_SESSION | CKF_SERIAL_SESSION;

} // namespace

void CTokenAccess::EndSession() {
    if (!driver) {
        return;
    }
    driver->Family().EndSession(*this);
    sessionOpen = false;
    loggedIn = false;
}

TZentorError CTokenAccess::OpenSession(CK_SLOT_ID slot) {
    if (!sessionOpen) {
        const CK_RV rv =
            Call(&Pkcs11Table::C_OpenSession, slot, kSessionFlags, nullptr, nullptr, &session);
        sessionOpen = rv == CKR_OK;
    }
    return sessionOpen ? ZTNoError : ZTOpenSessionFailed;
}

TZentorError CTokenAccess::Login(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin,
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

TZentorError CTokenAccess::HlOpen() {
    if (!IsHl()) {
        return ZTOpenSessionFailed;
    }
    int32_t& handle = driver->HlHandle();
    if (handle != -1) {
        return ZTNoError;
    }
    // A device that fails to open may still have written the handle; -1 keeps meaning
    // "no handle" so the next attempt opens again.
    if (HlCall(&HlTable::hl_on, &handle, 1, 0) != HL_OK) {
        handle = -1;
        return ZTOpenSessionFailed;
    }
    return ZTNoError;
}

TZentorError CTokenAccess::HlLogon(BSTR pin, LoginDepth depth) {
    if (loggedIn) {
        return ZTNoError;
    }
    if (HlOpen() != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    if (depth == LoginDepth::SessionOnly) {
        return ZTNoError;
    }
    const std::string typed = ToHebrewKeyboard(ToAnsiText(pin, CP_ACP));
    const TZentorError result =
        MapHlLogonResult(HlCall(&HlTable::hl_logon, driver->HlHandle(), typed.c_str()));
    loggedIn = result == ZTNoError;
    return result;
}

TZentorError CTokenAccess::LoginToToken(CK_USER_TYPE userType, BSTR pin, LoginDepth depth) {
    CK_SLOT_ID slot = 0;
    const TZentorError selected = SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError) {
        return selected;
    }
    return driver->Family().LogIn(*this, slot, userType, pin, depth);
}
