// Lookups shared by the token operations: sessions, logins, objects and visibility.
#pragma once

#include "testing/tokensim/Runtime.h"

namespace tokensim {

// The session and the token it was opened on. A session whose token has been removed
// or replaced is closed here and reported as CKR_DEVICE_REMOVED.
CK_RV GetSession(CCall& call, CK_SESSION_HANDLE handle, CSession*& session, CToken*& token);

// The token present in `slot`, or an error (CKR_SLOT_ID_INVALID, CKR_TOKEN_NOT_PRESENT).
CK_RV GetPresentToken(CCall& call, CK_SLOT_ID slot, CToken*& token);

const CLogin* LoginOf(const CCall& call, const std::string& serial);
// The user is logged in for everything, not only for a PIN change.
bool UserLoggedIn(const CCall& call, const std::string& serial);
bool SoLoggedIn(const CCall& call, const std::string& serial);

// Private objects are seen only while the user is logged in.
bool Visible(const CCall& call, const CToken& token, const CObject& object);
CObject* FindObject(CToken& token, CK_OBJECT_HANDLE handle);

// Closes the session; the last session on a token also ends the application's login.
void CloseSession(CCall& call, CK_SESSION_HANDLE handle);

} // namespace tokensim

namespace tokensim {

// PINs are 4 to 32 bytes long.
bool PinLengthValid(CK_ULONG length);
// Compares `given` with the user's or security officer's PIN. A wrong PIN counts a
// failure; the failure that reaches the limit, and every attempt after it, answers
// CKR_PIN_LOCKED. A right PIN clears the count.
CK_RV CheckPin(CCall& call, CToken& token, CK_USER_TYPE user, const Bytes& given);

} // namespace tokensim

namespace tokensim {

// Checks that the session may make a token object like `object` (R/W session, and a
// user login for a private one).
CK_RV CheckNewObject(CCall& call, const CSession& session, const CToken& token,
                     const CObject& object);
// Gives `object` the token's next handle, stores it and returns the handle.
CK_RV StoreNewObject(CCall& call, CToken& token, CObject object, CK_OBJECT_HANDLE_PTR handle);

} // namespace tokensim
