// Signing one block of bytes on the token, and the digest that file signing signs.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "component/base/ZentorErrors.h"
#include "component/access/CTokenAccess.h"
#include "component/signing/SigningChoices.h"

// Ends any session, logs in with `pin` on the one service token and signs `data` (decrypted
// first for SignStep::DecryptFirst); the signature comes back in the hexadecimal text form.
// The logged-in session stays open until the caller's session scope ends it.
TZentorError SignBlock(CTokenAccess& access, BSTR pin, std::span<const uint8_t> data,
                       std::string& hexSignature, SignStep step);

// Ends any session, opens one without login and hashes `data` on the token: SHA-512 when the
// public key is 2048 bits (512 hexadecimal characters), else MD5; the device's own hash on
// the hl_* family. `room` (at most kDigestRoom) is the length the driver is told it may
// write; pass kDigestRoom first and then the previous digest's length.
TZentorError DigestText(CTokenAccess& access, std::span<const uint8_t> data, size_t room,
                        std::vector<uint8_t>& digest);
