// The user PIN of the service token: set by the security officer, changed by the user,
// and the record's PINState kept in step with it.
#pragma once

#include "component/base/ZentorErrors.h"
#include "platform/WinApi.h"

class CTokenAccess;

// The user PIN a token is given first; PINState holds its six characters once the PIN
// is another one.
inline constexpr char kDefaultUserPin[] = "592604";

// The security officer sets `newPin` as the user PIN. Refused on the hl_* device
// (ZTInitPINFailed with 84 as the driver result). Ends with no session open.
TZentorError InitUserPin(CTokenAccess& access, BSTR newPin, BSTR soPassword);

// InitUserPin without the hl_* check: the officer's login, C_InitPIN, PINState ("000000"
// when the PIN begins with the default PIN, else the default's six characters).
TZentorError SetUserPinAsOfficer(CTokenAccess& access, BSTR newPin, BSTR soPassword);

// The user replaces `oldPin` (accepted also when the token reports it expired) with
// `newPin`; PINState then holds the default's six characters. Ends with no session open.
TZentorError ChangeUserPin(CTokenAccess& access, BSTR oldPin, BSTR newPin);
