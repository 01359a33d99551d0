// Generation of the service's RSA key pair on the token.
#pragma once

#include "component/base/ZentorErrors.h"
#include "component/access/drivers/Pkcs11.h"
#include "platform/WinApi.h"

class CTokenAccess;

inline constexpr CK_ULONG kLongModulusBits = 2048;
inline constexpr CK_ULONG kShortModulusBits = 1024;

// The caller's key-length choice, read as typed on a Hebrew keyboard: "2" selects 2048
// bits, anything else (null, "", "1", "1024" and "2048" included) 1024.
CK_ULONG ModulusBitsFor(BSTR keyLength);

// Logs in as the user with `pin` on the one service token and generates a key pair
// labelled "NORVA PKCS#11 KEY" with a modulus of `modulusBits`; ends the session. The
// hl_* family cannot generate keys: with its device present the answer is
// ZTGenerateKeyPairFailed with 84 as the driver result, without a login. A generation
// that reached the token empties the public-key cache, so the next read sees the new key.
TZentorError GenerateKeyPair(CTokenAccess& access, BSTR pin, CK_ULONG modulusBits);
