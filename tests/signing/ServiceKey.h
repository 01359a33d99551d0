// Puts the service's key pair on a token for tests, demonstrations and benchmarks, with the
// label and identifier the component searches for, and reads back its modulus.
#pragma once

#include <cstdint>
#include <vector>

#include "component/access/CTokenAccess.h"

// Logs in to the one service token through `access` with `pin`, generates an RSA pair of
// `bits` with exponent 65537 and ends the session. False when any step fails.
bool MakeServiceKey(CTokenAccess& access, BSTR pin, unsigned bits, std::vector<uint8_t>& modulus);
