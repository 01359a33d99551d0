// What signing does differently in the two driver families: the PKCS#11 libraries find
// the private key and sign, decrypt and hash through C_* calls; the hl_* device signs,
// decrypts and hashes with the card's one key and takes no lengths for its output. The
// caller has opened the session (or handle) and logged in as each member needs.
//
// No member trusts a length that a driver reports or a buffer that a driver fills beyond
// the room it was given: a result that would not fit is a failure.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "component/base/ZentorErrors.h"
#include "component/signing/SigningChoices.h"

class CTokenAccess;

class ISigningFamily {
public:
    virtual ~ISigningFamily() = default;

    // The token's PKCS #1 v1.5 signature of `data` (after a user login), decrypting it
    // first for SignStep::DecryptFirst.
    virtual TZentorError Sign(CTokenAccess& access, std::span<const uint8_t> data, SignStep step,
                              std::vector<uint8_t>& signature) const = 0;
    // The token's digest of `data` (after a session without login); `room` is the length
    // the driver is told it may write, at most kDigestRoom.
    virtual TZentorError Digest(CTokenAccess& access, std::span<const uint8_t> data, size_t room,
                                std::vector<uint8_t>& digest) const = 0;
};

const ISigningFamily& Pkcs11Signing();
const ISigningFamily& HlSigning();
// The signing family of the access's current driver (which must exist), chosen by the
// driver's family in the driver table.
const ISigningFamily& SigningFamilyOf(CTokenAccess& access);
