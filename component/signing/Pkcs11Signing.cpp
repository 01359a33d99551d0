// Signing, decrypting and hashing through a PKCS#11 library: CKM_RSA_PKCS with the private
// key labelled for the service, and CKM_SHA512 or CKM_MD5 by the public key's length. Every
// C_* call's result is recorded for PKCS11Error.
#include <string>

#include "component/access/CTokenAccess.h"
#include "component/signing/ISigningFamily.h"
#include "component/signing/KeyLabel.h"
#include "component/signing/PublicKey.h"

namespace {

// The public-key text of a 2048-bit modulus, which selects SHA-512.
constexpr size_t kSha512KeyText = 512;

// Whether a call succeeded and reported a length that fits the room it was given.
bool FitsRoom(CK_RV rv, CK_ULONG length, size_t room) {
    return rv == CKR_OK && length <= room;
}

class CPkcs11Signing : public ISigningFamily {
public:
    TZentorError Sign(CTokenAccess& access, std::span<const uint8_t> data, SignStep step,
                      std::vector<uint8_t>& signature) const override {
        if (!FitsULong(data.size())) {
            return ZTInvalidDataType;
        }
        CK_OBJECT_HANDLE key = 0;
        const TZentorError found =
            access.FindObject(CKO_PRIVATE_KEY, KeyLabelBstr().Get(), key, Visibility::Private);
        if (found != ZTNoError) {
            return found;
        }
        CK_MECHANISM mechanism = {CKM_RSA_PKCS, nullptr, 0};
        std::vector<uint8_t> decrypted;
        if (step == SignStep::DecryptFirst) {
            if (access.Driver().Call(&Pkcs11Table::C_DecryptInit, access.Driver().Session(),
                                     &mechanism, key) != CKR_OK) {
                return ZTDecryptInitFailed;
            }
            decrypted.resize(kBlockRoom);
            CK_ULONG length = kBlockRoom;
            const CK_RV rv = access.Driver().Call(
                &Pkcs11Table::C_Decrypt, access.Driver().Session(), Bytes(data),
                static_cast<CK_ULONG>(data.size()), decrypted.data(), &length);
            if (!FitsRoom(rv, length, kBlockRoom)) {
                return ZTDecryptFailed;
            }
            decrypted.resize(length);
            data = decrypted;
        }
        if (access.Driver().Call(&Pkcs11Table::C_SignInit, access.Driver().Session(), &mechanism,
                                 key) != CKR_OK) {
            return ZTSignRecoverInitFailed;
        }
        signature.resize(kBlockRoom);
        CK_ULONG length = kBlockRoom;
        const CK_RV rv =
            access.Driver().Call(&Pkcs11Table::C_Sign, access.Driver().Session(), Bytes(data),
                                 static_cast<CK_ULONG>(data.size()), signature.data(), &length);
        if (!FitsRoom(rv, length, kBlockRoom)) {
            return ZTSignRecoverFailed;
        }
        signature.resize(length);
        return ZTNoError;
    }

    TZentorError Digest(CTokenAccess& access, std::span<const uint8_t> data, size_t room,
                        std::vector<uint8_t>& digest) const override {
        if (!FitsULong(data.size()) || room > kDigestRoom) {
            return ZTSignRecoverFailed;
        }
        std::string publicKey;
        const bool read = ReadPublicKey(access, publicKey) == ZTNoError;
        CK_MECHANISM mechanism = {read && publicKey.size() == kSha512KeyText ? CKM_SHA512 : CKM_MD5,
                                  nullptr, 0};
        if (access.Driver().Call(&Pkcs11Table::C_DigestInit, access.Driver().Session(),
                                 &mechanism) != CKR_OK) {
            return ZTSignRecoverFailed;
        }
        digest.resize(kDigestRoom);
        CK_ULONG length = static_cast<CK_ULONG>(room);
        const CK_RV rv =
            access.Driver().Call(&Pkcs11Table::C_Digest, access.Driver().Session(), Bytes(data),
                                 static_cast<CK_ULONG>(data.size()), digest.data(), &length);
        if (!FitsRoom(rv, length, room)) {
            return ZTSignRecoverFailed;
        }
        digest.resize(length);
        return ZTNoError;
    }

private:
    // Whether a length can be named by a CK_ULONG on every platform (32 bits on Windows).
    // (A 32-bit size always fits, and saying so without a comparison keeps 32-bit builds
    // free of an always-true test.)
    template <typename Size> static bool FitsULong(Size length) {
        if constexpr (sizeof(Size) > sizeof(uint32_t)) {
            return length <= Size{0xFFFFFFFFu};
        } else {
            static_cast<void>(length);
            return true;
        }
    }

    // The drivers take input through non-const pointers but only read it; no input is
    // an empty block at a valid address, not a null pointer.
    static CK_BYTE_PTR Bytes(std::span<const uint8_t> data) {
        static CK_BYTE none = 0;
        return data.empty() ? &none : const_cast<CK_BYTE_PTR>(data.data());
    }
};

} // namespace

const ISigningFamily& Pkcs11Signing() {
    static const CPkcs11Signing family;
    return family;
}
