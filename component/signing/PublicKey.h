// The public half of the token's key pair as hexadecimal text.
#pragma once

#include <string>

#include "component/ZentorErrors.h"
#include "component/access/CTokenAccess.h"

// The modulus of the public key labelled for the service (PKCS#11 drivers, kept in the
// public-key cache once read), or the key the hl_* device gave; opens a session without
// login when it must read the token, and leaves it open.
TZentorError ReadPublicKey(CTokenAccess& access, std::string& hexText);
