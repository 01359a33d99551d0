// Sessions and login for both driver families, and replacing the current driver.
// A PKCS#11 login lives in its session, so closing the session is the logout; the
// hl_* handle stays open until the driver is destroyed.
#include "component/CZentor.h"

#include "component/access/AnsiText.h"
#include "component/access/CTokenDriver.h"
#include "component/access/DriverResults.h"
#include "component/access/HebrewKeyboard.h"

namespace {

constexpr CK_FLAGS kSessionFlags = CKF_RW_SESSION | CKF_SERIAL_SESSION;

} // namespace

void CZentor::ReplaceDriver(std::unique_ptr<CTokenDriver> next) {
    driver.reset(); // the old library is released before the new one is counted
    driver = std::move(next);
}

void CZentor::EndSession() {
    if (!driver) {
        return;
    }
    if (driver->IsHl()) {
        if (driver->loggedIn) {
            driver->hl.hl_logoff(driver->hlHandle);
        }
    } else if (driver->sessionOpen) {
        driver->p11.C_CloseSession(driver->session);
    }
    driver->sessionOpen = false;
    driver->loggedIn = false;
}

TZentorError CZentor::OpenSession(CK_SLOT_ID slot) {
    if (!driver->sessionOpen) {
        const CK_RV rv =
            driver->p11.C_OpenSession(slot, kSessionFlags, nullptr, nullptr, &driver->session);
        Record(rv);
        driver->sessionOpen = rv == CKR_OK;
    }
    return driver->sessionOpen ? ZTNoError : ZTOpenSessionFailed;
}

TZentorError CZentor::Login(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin, bool sessionOnly) {
    if (driver->loggedIn) {
        return ZTNoError;
    }
    if (OpenSession(slot) != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    if (sessionOnly) {
        return ZTNoError;
    }
    // The driver is told the PIN's length in UTF-16 units; the converted bytes are
    // padded with zeros to at least that length so the driver never reads past them.
    const CK_ULONG pinLength = Utf16Length(pin);
    std::string pinBytes = ToAnsiText(pin, CP_ACP);
    if (pinBytes.size() < pinLength) {
        pinBytes.resize(pinLength, '\0');
    }
    const CK_RV rv = driver->p11.C_Login(
        driver->session, userType, reinterpret_cast<CK_UTF8CHAR*>(pinBytes.data()), pinLength);
    Record(rv);
    const TZentorError result = MapLoginResult(rv);
    driver->loggedIn = result == ZTNoError;
    return result;
}

TZentorError CZentor::HlOpen() {
    if (driver->hlHandle != -1) {
        return ZTNoError;
    }
    // A device that fails to open may still have written the handle; -1 keeps meaning
    // "no handle" so the next attempt opens again.
    if (driver->hl.hl_on(&driver->hlHandle, 1, 0) != HL_OK) {
        driver->hlHandle = -1;
        return ZTOpenSessionFailed;
    }
    return ZTNoError;
}

TZentorError CZentor::HlLogon(BSTR pin, bool sessionOnly) {
    if (driver->loggedIn) {
        return ZTNoError;
    }
    if (HlOpen() != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    if (sessionOnly) {
        return ZTNoError;
    }
    const std::string typed = ToHebrewKeyboard(ToAnsiText(pin, CP_ACP));
    const TZentorError result =
        MapHlLogonResult(driver->hl.hl_logon(driver->hlHandle, typed.c_str()));
    driver->loggedIn = result == ZTNoError;
    return result;
}

TZentorError CZentor::LoginToToken(CK_USER_TYPE userType, BSTR pin, bool sessionOnly) {
    CK_SLOT_ID slot = 0;
    const TZentorError selected = SelectToken(true, slot, false);
    if (selected != ZTNoError) {
        return selected;
    }
    if (driver->IsHl()) {
        return HlLogon(pin, sessionOnly);
    }
    return Login(slot, userType, pin, sessionOnly);
}
