#include "testing/tokensim/SessionAccess.h"

namespace tokensim {

CK_RV GetPresentToken(CCall& call, CK_SLOT_ID slot, CToken*& token) {
    CReader* reader = call.state.FindReader(slot);
    if (!reader)
        return CKR_SLOT_ID_INVALID;
    if (!reader->present)
        return CKR_TOKEN_NOT_PRESENT;
    token = &reader->token;
    return CKR_OK;
}

CK_RV GetSession(CCall& call, CK_SESSION_HANDLE handle, CSession*& session, CToken*& token) {
    auto found = call.runtime.sessions.find(handle);
    if (found == call.runtime.sessions.end())
        return CKR_SESSION_HANDLE_INVALID;
    CReader* reader = call.state.FindReader(found->second.slot);
    if (!reader || !reader->present || reader->token.serial != found->second.serial) {
        CloseSession(call, handle);
        return CKR_DEVICE_REMOVED;
    }
    session = &found->second;
    token = &reader->token;
    return CKR_OK;
}

const CLogin* LoginOf(const CCall& call, const std::string& serial) {
    auto found = call.runtime.logins.find(serial);
    return found == call.runtime.logins.end() ? nullptr : &found->second;
}

bool UserLoggedIn(const CCall& call, const std::string& serial) {
    const CLogin* login = LoginOf(call, serial);
    return login && login->user == CKU_USER && !login->pinChangeOnly;
}

bool SoLoggedIn(const CCall& call, const std::string& serial) {
    const CLogin* login = LoginOf(call, serial);
    return login && login->user == CKU_SO && !login->pinChangeOnly;
}

bool Visible(const CCall& call, const CToken& token, const CObject& object) {
    return !object.Flag(CKA_PRIVATE, false) || UserLoggedIn(call, token.serial);
}

CObject* FindObject(CToken& token, CK_OBJECT_HANDLE handle) {
    for (auto& object : token.objects)
        if (object.handle == handle)
            return &object;
    return nullptr;
}

void CloseSession(CCall& call, CK_SESSION_HANDLE handle) {
    auto found = call.runtime.sessions.find(handle);
    if (found == call.runtime.sessions.end())
        return;
    const std::string serial = found->second.serial;
    call.runtime.sessions.erase(found);
    for (const auto& [other, session] : call.runtime.sessions)
        if (session.serial == serial)
            return;
    call.runtime.logins.erase(serial);
}

} // namespace tokensim
