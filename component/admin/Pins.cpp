#include "component/admin/Pins.h"

#include <cstring>
#include <string>

#include "component/access/AnsiText.h"
#include "component/access/CTokenAccess.h"
#include "component/access/HebrewKeyboard.h"
#include "component/admin/HolderRecord.h"

namespace {

constexpr size_t kDefaultPinLength = sizeof kDefaultUserPin - 1;
constexpr char kDefaultPinState[] = "000000";
static_assert(sizeof kDefaultPinState == sizeof kDefaultUserPin);

// Writes the six characters and their zero byte; the rest of the field stays. The
// record's read and write codes do not change the PIN operation's outcome; a record that
// could not be read is left as it is rather than rewritten without its other fields.
void UpdatePinState(CTokenAccess& access, const char (&state)[sizeof kDefaultUserPin]) {
    UserRecord record = {};
    if (ReadUserRecordForUpdate(access, record) != ZTNoError) {
        return;
    }
    std::memcpy(record.PINState, state, sizeof state);
    WriteUserRecord(access, record);
}

bool BeginsWithDefaultPin(BSTR pin) {
    const std::string ansi = ToAnsiText(pin, CP_ACP);
    return ansi.size() >= kDefaultPinLength &&
           ansi.compare(0, kDefaultPinLength, kDefaultUserPin) == 0;
}

TZentorError ChangeOnDevice(CTokenAccess& access, BSTR oldPin, BSTR newPin) {
    // Typed as on a Hebrew keyboard, exactly as the device's logon receives a PIN.
    const std::string oldTyped = ToHebrewKeyboard(ToAnsiText(oldPin, CP_ACP));
    const std::string newTyped = ToHebrewKeyboard(ToAnsiText(newPin, CP_ACP));
    const int32_t answer = access.HlCall(&HlTable::hl_change_password, access.HlHandle(),
                                         oldTyped.c_str(), newTyped.c_str());
    return answer == HL_OK ? ZTNoError : ZTInitPINFailed;
}

TZentorError ChangeOnToken(CTokenAccess& access, BSTR oldPin, BSTR newPin) {
    std::string oldBytes = PinText(oldPin);
    std::string newBytes = PinText(newPin);
    const CK_RV rv =
        access.Call(&Pkcs11Table::C_SetPIN, access.Session(),
                    reinterpret_cast<CK_UTF8CHAR*>(oldBytes.data()), CK_ULONG{Utf16Length(oldPin)},
                    reinterpret_cast<CK_UTF8CHAR*>(newBytes.data()), CK_ULONG{Utf16Length(newPin)});
    if (rv != CKR_OK) {
        return ZTInitPINFailed;
    }
    UpdatePinState(access, kDefaultUserPin);
    return ZTNoError;
}

} // namespace

TZentorError SetUserPinAsOfficer(CTokenAccess& access, BSTR newPin, BSTR soPassword) {
    const TZentorError login = access.LoginToToken(CKU_SO, soPassword, LoginDepth::User);
    if (login != ZTNoError) {
        return login;
    }
    std::string pinBytes = PinText(newPin);
    const CK_RV rv =
        access.Call(&Pkcs11Table::C_InitPIN, access.Session(),
                    reinterpret_cast<CK_UTF8CHAR*>(pinBytes.data()), CK_ULONG{Utf16Length(newPin)});
    if (rv != CKR_OK) {
        return ZTInitPINFailed;
    }
    UpdatePinState(access, BeginsWithDefaultPin(newPin) ? kDefaultPinState : kDefaultUserPin);
    return ZTNoError;
}

TZentorError InitUserPin(CTokenAccess& access, BSTR newPin, BSTR soPassword) {
    access.EndSession();
    TZentorError result = ZTInitPINFailed;
    if (!access.IsHl()) {
        // No driver chosen yet, or a PKCS#11 one. With none chosen the login chooses it, and
        // where the only card is the hl_* device that login offers the device the officer's
        // password, as the login of every operation would; a refusal costs the holder's PIN
        // a try. Only a device driver chosen beforehand is kept from that below.
        result = SetUserPinAsOfficer(access, newPin, soPassword);
    } else if (access.CountHlTokens(TokenScope::Any, Fallback::None) > 0) {
        access.Record(CKR_FUNCTION_NOT_SUPPORTED);
    } else {
        // The device driver is chosen and no card answered its count: the officer's
        // password is not offered to a card inserted meanwhile. What the login would have
        // found first: no token.
        result = ZTLabeledTokenNotFound;
    }
    access.EndSession();
    return result;
}

TZentorError ChangeUserPin(CTokenAccess& access, BSTR oldPin, BSTR newPin) {
    access.EndSession();
    TZentorError result = access.LoginToToken(CKU_USER, oldPin, LoginDepth::User);
    if (result == ZTNoError || result == ZTLoginPinExpired) {
        result = access.IsHl() ? ChangeOnDevice(access, oldPin, newPin)
                               : ChangeOnToken(access, oldPin, newPin);
    }
    access.EndSession();
    return result;
}
