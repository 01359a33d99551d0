// The hl_* family: one card in one device, read once per inserted card; the device
// handle stays open until the driver goes, a logon ends with hl_logoff.
#include "component/access/AnsiText.h"
#include "component/access/CTokenDriver.h"
#include "component/access/DriverResults.h"
#include "component/access/HebrewKeyboard.h"
#include "component/access/HlCardReader.h"

namespace {

class CHlDriver : public CTokenDriver {
public:
    CHlDriver(const DriverEntry& entry, TPKCS11Error& results) : CTokenDriver(entry, results) {}
    ~CHlDriver() override {
        if (module != nullptr) {
            hl.hl_off(hlHandle); // also with no handle open (-1)
        }
    }

    LONG CountTokens(TokenScope scope) override {
        return Open() == ZTNoError ? CountInsertedCard(scope) : 0;
    }
    TZentorError LogIn(CK_SLOT_ID slot, CK_USER_TYPE userType, BSTR pin, LoginDepth depth) override;
    void EndSession() override {
        if (loggedIn) {
            HlCall(&HlTable::hl_logoff, hlHandle);
        }
        sessionOpen = false;
        loggedIn = false;
    }
    TZentorError ChangePin(BSTR oldPin, BSTR newPin) override {
        // Typed as on a Hebrew keyboard, exactly as the device's logon receives a PIN.
        const std::string oldTyped = ToHebrewKeyboard(ToAnsiText(oldPin, CP_ACP));
        const std::string newTyped = ToHebrewKeyboard(ToAnsiText(newPin, CP_ACP));
        const int32_t answer =
            HlCall(&HlTable::hl_change_password, hlHandle, oldTyped.c_str(), newTyped.c_str());
        return answer == HL_OK ? ZTNoError : ZTInitPINFailed;
    }
    TokenOnly CheckTokenOnly() override {
        if (CountTokens(TokenScope::Any) > 0) {
            ReportResult(CKR_FUNCTION_NOT_SUPPORTED);
            return TokenOnly::Refused;
        }
        return TokenOnly::NoToken;
    }
    bool DataComesWithCard() const override { return true; }

private:
    TZentorError Open();
    LONG CountInsertedCard(TokenScope scope);
};

TZentorError CHlDriver::Open() {
    if (hlHandle != -1) {
        return ZTNoError;
    }
    // A device that fails to open may still have written the handle; -1 keeps meaning
    // "no handle" so the next attempt opens again.
    if (HlCall(&HlTable::hl_on, &hlHandle, 1, 0) != HL_OK) {
        hlHandle = -1;
        return ZTOpenSessionFailed;
    }
    return ZTNoError;
}

LONG CHlDriver::CountInsertedCard(TokenScope scope) {
    if (HlCall(&HlTable::hl_is_media_available, hlHandle) != HL_OK) {
        caches.slotCount = 0;
        caches.tokenCount = 0;
        caches.norvaTokenCount = 0;
        caches.hlKeyLength = 0;
        return 0;
    }
    if (caches.slotCount == 0) {
        ReadInsertedCard(hl, hlHandle, caches); // once per inserted card
    }
    if (scope == TokenScope::Any) {
        return 1;
    }
    return caches.record.UserID[0] != '\0' ? 1 : 0;
}

TZentorError CHlDriver::LogIn(CK_SLOT_ID, CK_USER_TYPE, BSTR pin, LoginDepth depth) {
    if (loggedIn) {
        return ZTNoError;
    }
    if (Open() != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    if (depth == LoginDepth::SessionOnly) {
        return ZTNoError;
    }
    const std::string typed = ToHebrewKeyboard(ToAnsiText(pin, CP_ACP));
    const TZentorError result =
        MapHlLogonResult(HlCall(&HlTable::hl_logon, hlHandle, typed.c_str()));
    loggedIn = result == ZTNoError;
    return result;
}

} // namespace

std::unique_ptr<CTokenDriver> CreateHlDriver(const DriverEntry& entry, TPKCS11Error& results) {
    return std::make_unique<CHlDriver>(entry, results);
}
