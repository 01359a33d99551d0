// The simulators' cryptography, done for real with libgcrypt: RSA keys, PKCS#1 v1.5
// signatures without DigestInfo, PKCS#1 v1.5 encryption, the raw private-key
// operation, and digests.
#pragma once

#include <string>

#include "testing/common/Bytes.h"

namespace sim {

// Key components as big-endian unsigned numbers, in libgcrypt's convention
// (p < q, u = p^-1 mod q).
struct CRsaKey {
    Bytes n, e, d, p, q, u;
    size_t ModulusBytes() const;
};

enum class TCryptoStatus { Ok, DataTooLong, BadLength, BadBlock, BadSignature, Failure };

// Bits must be 1024 or 2048 (anything else gives BadLength); exponent big-endian.
TCryptoStatus GenerateRsaKey(unsigned bits, const Bytes& exponent, CRsaKey& key);
// PKCS#1 v1.5 type 1 padding around `data` as it is, then the private-key operation.
TCryptoStatus SignPkcs1(const CRsaKey& key, const Bytes& data, Bytes& signature);
TCryptoStatus VerifyPkcs1(const CRsaKey& key, const Bytes& data, const Bytes& signature);
TCryptoStatus EncryptPkcs1(const CRsaKey& key, const Bytes& data, Bytes& block);
TCryptoStatus DecryptPkcs1(const CRsaKey& key, const Bytes& block, Bytes& data);
// The private-key operation alone on a block of modulus length (no padding removed).
TCryptoStatus RawPrivate(const CRsaKey& key, const Bytes& block, Bytes& result);

enum class TDigest { Md5, Sha1, Sha256, Sha512 };
size_t DigestLength(TDigest algorithm);
Bytes Digest(TDigest algorithm, const Bytes& data);
void RandomBytes(uint8_t* buffer, size_t length);

} // namespace sim
