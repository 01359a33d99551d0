// Signing, decrypting and hashing on the hl_* device. Its calls take no output lengths: a
// signature or a decrypted block is as long as the card's key, which the holder data gave
// (TokenCaches::hlKeyLength), and a digest as long as the hash description says. Those
// lengths are checked against the room of our buffers before the device writes into them,
// and hl_RSA_decrypt, which reads one key-length block, is only given input at least that
// long. hl_* results are never recorded for PKCS11Error.
#include <array>
#include <cstdint>

#include "component/access/CTokenAccess.h"
#include "component/signing/ISigningFamily.h"

namespace {

// hl_change_def_int_param: parameter 6 set to 0 before every signature.
constexpr int32_t kSignParameter = 6;
constexpr int32_t kSignParameterValue = 0;
constexpr int32_t kPkcs1Padding = 1;
constexpr int32_t kLargestCount = INT32_MAX;

class CHlSigning : public ISigningFamily {
public:
    TZentorError Sign(CTokenAccess& access, std::span<const uint8_t> data, SignStep step,
                      std::vector<uint8_t>& signature) const override {
        const int32_t handle = access.Driver().HlHandle();
        access.Driver().HlCall(&HlTable::hl_change_def_int_param, handle, kSignParameter,
                               kSignParameterValue);
        const TZentorError failure =
            step == SignStep::DecryptFirst ? ZTDecryptFailed : ZTSignRecoverFailed;
        const LONG keyLength = access.Driver().Caches().hlKeyLength;
        if (keyLength < 1 || static_cast<size_t>(keyLength) > kBlockRoom) {
            return failure;
        }
        signature.assign(kBlockRoom, 0);
        if (step == SignStep::DecryptFirst) {
            // The device reads one key-length block whatever the input's length.
            if (data.size() < static_cast<size_t>(keyLength)) {
                return ZTInvalidDataType;
            }
            std::vector<uint8_t> decrypted(kBlockRoom, 0);
            if (access.Driver().HlCall(&HlTable::hl_RSA_decrypt, handle, data.data(),
                                       decrypted.data(), 0) != HL_OK) {
                return failure;
            }
            // The private-key operation once more, on the decrypted block, is the signature.
            if (access.Driver().HlCall(&HlTable::hl_RSA_decrypt, handle, decrypted.data(),
                                       signature.data(), 0) != HL_OK) {
                return failure;
            }
        } else {
            if (data.size() > static_cast<size_t>(kLargestCount)) {
                return ZTInvalidDataType;
            }
            static const uint8_t none = 0;
            if (access.Driver().HlCall(&HlTable::hl_sign, handle,
                                       data.empty() ? &none : data.data(),
                                       static_cast<int32_t>(data.size()), signature.data(), 0,
                                       kPkcs1Padding) != HL_OK) {
                return failure;
            }
        }
        signature.resize(static_cast<size_t>(keyLength));
        return ZTNoError;
    }

    TZentorError Digest(CTokenAccess& access, std::span<const uint8_t> data, size_t room,
                        std::vector<uint8_t>& digest) const override {
        if (data.size() > static_cast<size_t>(kLargestCount) || room > kDigestRoom) {
            return ZTSignRecoverFailed;
        }
        const int32_t handle = access.Driver().HlHandle();
        HlHashDetails details = {};
        details.size = HL_HASH_DETAILS_SIZE;
        std::array<uint8_t, HL_HASH_CONTEXT_SIZE> context = {};
        if (access.Driver().HlCall(&HlTable::hl_get_hash_alg_details, handle, HL_HASH_SHA1,
                                   &details) != HL_OK ||
            access.Driver().HlCall(&HlTable::hl_init_hash, handle, HL_HASH_SHA1, context.data()) !=
                HL_OK ||
            access.Driver().HlCall(&HlTable::hl_cont_hash, context.data(), data.data(),
                                   static_cast<int32_t>(data.size())) != HL_OK) {
            return ZTSignRecoverFailed;
        }
        // hl_end_hash writes as many bytes as the description names: they must fit.
        if (details.digestLength < 1 || static_cast<size_t>(details.digestLength) > room) {
            return ZTSignRecoverFailed;
        }
        digest.assign(kDigestRoom, 0);
        if (access.Driver().HlCall(&HlTable::hl_end_hash, context.data(), digest.data()) != HL_OK) {
            return ZTSignRecoverFailed;
        }
        digest.resize(static_cast<size_t>(details.digestLength));
        return ZTNoError;
    }
};

} // namespace

const ISigningFamily& HlSigning() {
    static const CHlSigning family;
    return family;
}
