#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {

CK_RV OpenSession(CCall& call, CK_SLOT_ID slot, CK_FLAGS flags, CK_SESSION_HANDLE_PTR handle) {
    CToken* token = nullptr;
    if (!handle)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetPresentToken(call, slot, token))
        return rv;
    if (!(flags & CKF_SERIAL_SESSION))
        return CKR_SESSION_PARALLEL_NOT_SUPPORTED;
    if (!(flags & CKF_RW_SESSION) && SoLoggedIn(call, token->serial))
        return CKR_SESSION_READ_WRITE_SO_EXISTS;
    CSession session;
    session.slot = slot;
    session.serial = token->serial;
    session.flags = flags & (CKF_SERIAL_SESSION | CKF_RW_SESSION);
    *handle = call.runtime.nextSession++;
    call.runtime.sessions[*handle] = session;
    call.Arg("handle", *handle);
    return CKR_OK;
}

CK_RV CloseOneSession(CCall& call, CK_SESSION_HANDLE handle) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    CloseSession(call, handle);
    return CKR_OK;
}

CK_RV CloseAllSessions(CCall& call, CK_SLOT_ID slot) {
    if (!call.state.FindReader(slot))
        return CKR_SLOT_ID_INVALID;
    std::vector<CK_SESSION_HANDLE> handles;
    for (const auto& [handle, session] : call.runtime.sessions)
        if (session.slot == slot)
            handles.push_back(handle);
    for (CK_SESSION_HANDLE handle : handles)
        CloseSession(call, handle);
    call.Arg("closed", handles.size());
    return CKR_OK;
}

CK_RV GetSessionInfo(CCall& call, CK_SESSION_HANDLE handle, CK_SESSION_INFO_PTR info) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (!info)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    const bool rw = session->flags & CKF_RW_SESSION;
    const CLogin* login = LoginOf(call, token->serial);
    info->slotID = session->slot;
    info->flags = session->flags;
    info->ulDeviceError = 0;
    if (!login || login->pinChangeOnly)
        info->state = rw ? CKS_RW_PUBLIC_SESSION : CKS_RO_PUBLIC_SESSION;
    else if (login->user == CKU_SO)
        info->state = CKS_RW_SO_FUNCTIONS;
    else
        info->state = rw ? CKS_RW_USER_FUNCTIONS : CKS_RO_USER_FUNCTIONS;
    return CKR_OK;
}

CK_RV Login(CCall& call, CK_SESSION_HANDLE handle, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin,
            CK_ULONG length) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (user != CKU_SO && user != CKU_USER)
        return CKR_USER_TYPE_INVALID;
    if (!pin && length)
        return CKR_ARGUMENTS_BAD;
    if (const CLogin* login = LoginOf(call, token->serial))
        return login->user == user ? CKR_USER_ALREADY_LOGGED_IN
                                   : CKR_USER_ANOTHER_ALREADY_LOGGED_IN;
    if (user == CKU_USER && !token->userPinInitialized)
        return CKR_USER_PIN_NOT_INITIALIZED;
    if (user == CKU_SO && !token->initialized)
        return CKR_USER_PIN_NOT_INITIALIZED;
    if (user == CKU_SO)
        for (const auto& entry : call.runtime.sessions)
            if (entry.second.serial == token->serial && !(entry.second.flags & CKF_RW_SESSION))
                return CKR_SESSION_READ_ONLY_EXISTS;
    if (const CK_RV rv = CheckPin(call, *token, user, pin ? Bytes(pin, pin + length) : Bytes()))
        return rv;
    const bool expired = user == CKU_USER ? token->userPinExpired : token->soPinExpired;
    call.runtime.logins[token->serial] = CLogin{user, expired};
    return expired ? CKR_PIN_EXPIRED : CKR_OK;
}

CK_RV Logout(CCall& call, CK_SESSION_HANDLE handle) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!call.runtime.logins.erase(token->serial))
        return CKR_USER_NOT_LOGGED_IN;
    return CKR_OK;
}

} // namespace tokensim
