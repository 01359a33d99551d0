#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {
namespace {

Bytes PinBytes(CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    return pin ? Bytes(pin, pin + length) : Bytes();
}

bool HasSessions(const CCall& call, const std::string& serial) {
    for (const auto& entry : call.runtime.sessions)
        if (entry.second.serial == serial)
            return true;
    return false;
}

} // namespace

bool PinLengthValid(CK_ULONG length) {
    return length >= 4 && length <= 32;
}

CK_RV CheckPin(CCall& call, CToken& token, CK_USER_TYPE user, const Bytes& given) {
    int& failures = user == CKU_SO ? token.soPinFailures : token.userPinFailures;
    const Bytes& expected = user == CKU_SO ? token.soPin : token.userPin;
    if (failures >= call.state.maxPinFailures)
        return CKR_PIN_LOCKED;
    if (given != expected) {
        ++failures;
        call.changed = true;
        return failures >= call.state.maxPinFailures ? CKR_PIN_LOCKED : CKR_PIN_INCORRECT;
    }
    // A right PIN clears the count; the state is written only when there was one.
    call.changed = call.changed || failures != 0;
    failures = 0;
    return CKR_OK;
}

CK_RV InitToken(CCall& call, CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length,
                CK_UTF8CHAR_PTR label) {
    CToken* token = nullptr;
    if (const CK_RV rv = GetPresentToken(call, slot, token))
        return rv;
    if ((!pin && length) || !label)
        return CKR_ARGUMENTS_BAD;
    call.Arg("label", sim::ToHex(label, 32));
    if (HasSessions(call, token->serial))
        return CKR_SESSION_EXISTS;
    const Bytes given = PinBytes(pin, length);
    if (token->initialized) {
        if (const CK_RV rv = CheckPin(call, *token, CKU_SO, given))
            return rv;
    } else if (!PinLengthValid(length)) {
        return CKR_PIN_LEN_RANGE;
    }
    CToken fresh;
    fresh.serial = token->serial;
    fresh.label.assign(reinterpret_cast<const char*>(label), 32);
    fresh.initialized = true;
    fresh.soPin = given;
    fresh.nextHandle = token->nextHandle;
    *token = fresh;
    call.runtime.logins.erase(token->serial);
    call.changed = true;
    return CKR_OK;
}

CK_RV InitPIN(CCall& call, CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!SoLoggedIn(call, token->serial))
        return CKR_USER_NOT_LOGGED_IN;
    if (!pin && length)
        return CKR_ARGUMENTS_BAD;
    if (!PinLengthValid(length))
        return CKR_PIN_LEN_RANGE;
    token->userPin = PinBytes(pin, length);
    token->userPinInitialized = true;
    token->userPinExpired = false;
    token->userPinFailures = 0;
    call.changed = true;
    return CKR_OK;
}

CK_RV SetPIN(CCall& call, CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
             CK_UTF8CHAR_PTR newPin, CK_ULONG newLength) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!(session->flags & CKF_RW_SESSION))
        return CKR_SESSION_READ_ONLY;
    if ((!oldPin && oldLength) || (!newPin && newLength))
        return CKR_ARGUMENTS_BAD;
    const CLogin* login = LoginOf(call, token->serial);
    const CK_USER_TYPE user = login ? login->user : CKU_USER;
    if (user == CKU_USER && !token->userPinInitialized)
        return CKR_USER_PIN_NOT_INITIALIZED;
    if (const CK_RV rv = CheckPin(call, *token, user, PinBytes(oldPin, oldLength)))
        return rv;
    if (!PinLengthValid(newLength))
        return CKR_PIN_LEN_RANGE;
    (user == CKU_SO ? token->soPin : token->userPin) = PinBytes(newPin, newLength);
    (user == CKU_SO ? token->soPinExpired : token->userPinExpired) = false;
    if (login)
        call.runtime.logins[token->serial].pinChangeOnly = false;
    call.changed = true;
    return CKR_OK;
}

} // namespace tokensim
