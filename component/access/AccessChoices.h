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
