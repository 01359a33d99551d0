// Reading the service key's public half as hexadecimal text: the big-endian modulus for
// a PKCS#11 token, the key record as the device delivered it for the hl_* family.
#pragma once

#include <cstddef>
#include <string>

#include "component/base/ZentorErrors.h"

class CTokenAccess;

// The most key bytes turned into text (1998 characters, the capacity of every binary
// result). A longer modulus is refused with ZTGetPublicKeyFailed rather than cut.
inline constexpr size_t kMaxPublicKeyBytes = 999;

// Selects the one service token and fills `hexText` with its public key (empty on any
// failure). A PKCS#11 key is answered from the driver's public-key cache once read; a
// text too long for that cache is returned but not kept. The session opened for the
// read is left for the caller's session scope to end.
TZentorError ReadPublicKey(CTokenAccess& access, std::string& hexText);
