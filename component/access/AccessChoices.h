// The named choices that token-access operations take instead of bare booleans.
#pragma once

// Which tokens a count or a selection looks for.
enum class TokenScope {
    Any,     // every token present
    Service, // tokens labelled for the service (NorvaEFT tokens)
};

// What a count does when the current driver sees no token.
enum class Fallback {
    None,       // answer 0
    AutoDetect, // try the driver libraries in turn
};

// Which driver families automatic choice may pick.
enum class Families {
    All,        // the hl_* device library and both PKCS#11 libraries
    Pkcs11Only, // the PKCS#11 libraries; with the hl_* library current, a count is 0
};

// How far a login goes.
enum class LoginDepth {
    SessionOnly, // a session (or an open hl_* handle) without a PIN
    User,        // logged in with the PIN given
};

// CKA_PRIVATE of the objects an operation creates or searches.
enum class Visibility {
    Public,
    Private,
};

// Whether the current driver can do what only PKCS#11 tokens do.
enum class TokenOnly {
    Possible, // a PKCS#11 library, or no driver chosen yet
    Refused,  // the device, with its card present; 84 is recorded for PKCS11Error
    NoToken,  // the device, with no card that answered
};

// Where a CTokenAccess::CSessionScope starts.
enum class SessionStart {
    AsLeft, // with whatever session an earlier operation left
    Fresh,  // with no session: one left open is ended first
};
