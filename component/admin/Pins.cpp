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
    if (access.Driver().DataComesWithCard()) {
        return; // the device's record comes with its card and is not written
    }
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

} // namespace

TZentorError SetUserPinAsOfficer(CTokenAccess& access, BSTR newPin, BSTR soPassword) {
    const TZentorError login = access.LoginToToken(CKU_SO, soPassword, LoginDepth::User);
    if (login != ZTNoError) {
        return login;
    }
    CTokenDriver& driver = access.Driver();
    std::string pinBytes = PinText(newPin);
    const CK_RV rv =
        driver.Call(&Pkcs11Table::C_InitPIN, driver.Session(),
                    reinterpret_cast<CK_UTF8CHAR*>(pinBytes.data()), CK_ULONG{Utf16Length(newPin)});
    if (rv != CKR_OK) {
        return ZTInitPINFailed;
    }
    UpdatePinState(access, BeginsWithDefaultPin(newPin) ? kDefaultPinState : kDefaultUserPin);
    return ZTNoError;
}

TZentorError InitUserPin(CTokenAccess& access, BSTR newPin, BSTR soPassword) {
    const CTokenAccess::CSessionScope scope(access, SessionStart::Fresh);
    switch (access.CheckTokenOnly()) {
    case TokenOnly::Possible:
        // No driver chosen yet, or a PKCS#11 one. With none chosen the login chooses it, and
        // where the only card is the hl_* device that login offers the device the officer's
        // password, as the login of every operation would; a refusal costs the holder's PIN a
        // try. Only a device driver chosen beforehand is kept from that below.
        return SetUserPinAsOfficer(access, newPin, soPassword);
    case TokenOnly::Refused:
        return ZTInitPINFailed;
    case TokenOnly::NoToken:
        break;
    }
    // The device driver is chosen and no card answered its count: the officer's password is
    // not offered to a card inserted meanwhile, which would cost the holder's PIN a try. What
    // the login would have found first: no token.
    return ZTLabeledTokenNotFound;
}

TZentorError ChangeUserPin(CTokenAccess& access, BSTR oldPin, BSTR newPin) {
    const CTokenAccess::CSessionScope scope(access);
    TZentorError result = access.LoginToToken(CKU_USER, oldPin, LoginDepth::User);
    if (result == ZTNoError || result == ZTLoginPinExpired) {
        result = access.Driver().ChangePin(oldPin, newPin);
        if (result == ZTNoError) {
            UpdatePinState(access, kDefaultUserPin);
        }
    }
    return result;
}
