#include "testing/common/Crypto.h"

#include <gcrypt.h>

#include <cstdarg>
#include <memory>
#include <mutex>

namespace sim {
namespace {

// libgcrypt on Windows writes a note about missing performance counters ("diskperf")
// to standard error unless the application takes its log lines.
void QuietLog(void*, int, const char*, va_list) {}

void InitialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        gcry_set_log_handler(QuietLog, nullptr);
#pragma GCC diagnostic pop
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    });
}

struct SexpDeleter {
    void operator()(gcry_sexp_t sexp) const { gcry_sexp_release(sexp); }
};
using Sexp = std::unique_ptr<gcry_sexp, SexpDeleter>;

// gcry_sexp_build takes its values as varargs; a few fixed shapes cover every use.
Sexp PrivateKey(const CRsaKey& k) {
    InitialiseLibrary();
    gcry_sexp_t sexp = nullptr;
    gcry_sexp_build(&sexp, nullptr, "(private-key(rsa(n%b)(e%b)(d%b)(p%b)(q%b)(u%b)))",
                    int(k.n.size()), k.n.data(), int(k.e.size()), k.e.data(), int(k.d.size()),
                    k.d.data(), int(k.p.size()), k.p.data(), int(k.q.size()), k.q.data(),
                    int(k.u.size()), k.u.data());
    return Sexp(sexp);
}

Sexp PublicKey(const CRsaKey& k) {
    InitialiseLibrary();
    gcry_sexp_t sexp = nullptr;
    gcry_sexp_build(&sexp, nullptr, "(public-key(rsa(n%b)(e%b)))", int(k.n.size()), k.n.data(),
                    int(k.e.size()), k.e.data());
    return Sexp(sexp);
}

Sexp Value(const char* format, const Bytes& value) {
    gcry_sexp_t sexp = nullptr;
    gcry_sexp_build(&sexp, nullptr, format, int(value.size()), value.data());
    return Sexp(sexp);
}

// The number under `token` in `sexp`, big-endian, left-padded with zeros to `width`
// bytes when `width` is not 0.
Bytes Number(gcry_sexp_t sexp, const char* token, size_t width = 0) {
    Sexp part(gcry_sexp_find_token(sexp, token, 0));
    if (!part)
        return {};
    gcry_mpi_t mpi = gcry_sexp_nth_mpi(part.get(), 1, GCRYMPI_FMT_USG);
    if (!mpi)
        return {};
    size_t length = 0;
    gcry_mpi_print(GCRYMPI_FMT_USG, nullptr, 0, &length, mpi);
    Bytes bytes(length);
    gcry_mpi_print(GCRYMPI_FMT_USG, bytes.data(), bytes.size(), &length, mpi);
    gcry_mpi_release(mpi);
    bytes.resize(length);
    if (width > bytes.size())
        bytes.insert(bytes.begin(), width - bytes.size(), 0);
    return bytes;
}

// The plain value under "value" of a decryption result.
Bytes Data(gcry_sexp_t sexp) {
    Sexp part(gcry_sexp_find_token(sexp, "value", 0));
    if (!part)
        return {};
    size_t length = 0;
    const char* data = gcry_sexp_nth_data(part.get(), 1, &length);
    return data ? Bytes(data, data + length) : Bytes();
}

} // namespace

size_t CRsaKey::ModulusBytes() const {
    size_t skip = 0;
    while (skip < n.size() && n[skip] == 0)
        ++skip;
    return n.size() - skip;
}

TCryptoStatus GenerateRsaKey(unsigned bits, const Bytes& exponent, CRsaKey& key) {
    if (bits != 1024 && bits != 2048)
        return TCryptoStatus::BadLength;
    InitialiseLibrary();
    unsigned e = 0;
    for (uint8_t byte : exponent)
        e = (e << 8) | byte;
    if (exponent.empty() || exponent.size() > 4 || e < 3 || e % 2 == 0)
        return TCryptoStatus::BadLength;
    gcry_sexp_t parameters = nullptr;
    gcry_sexp_build(&parameters, nullptr, "(genkey(rsa(nbits %u)(rsa-use-e %u)))", bits, e);
    Sexp params(parameters);
    gcry_sexp_t generated = nullptr;
    if (gcry_pk_genkey(&generated, params.get()) != 0)
        return TCryptoStatus::Failure;
    Sexp pair(generated);
    Sexp secret(gcry_sexp_find_token(pair.get(), "private-key", 0));
    key = CRsaKey{Number(secret.get(), "n"), Number(secret.get(), "e"), Number(secret.get(), "d"),
                  Number(secret.get(), "p"), Number(secret.get(), "q"), Number(secret.get(), "u")};
    return key.n.empty() ? TCryptoStatus::Failure : TCryptoStatus::Ok;
}

TCryptoStatus SignPkcs1(const CRsaKey& key, const Bytes& data, Bytes& signature) {
    const size_t k = key.ModulusBytes();
    if (data.size() + 11 > k)
        return TCryptoStatus::DataTooLong;
    Sexp secret = PrivateKey(key);
    Sexp input = Value("(data(flags pkcs1-raw)(value %b))", data);
    gcry_sexp_t result = nullptr;
    if (!secret || !input || gcry_pk_sign(&result, input.get(), secret.get()) != 0)
        return TCryptoStatus::Failure;
    Sexp output(result);
    signature = Number(output.get(), "s", k);
    return signature.size() == k ? TCryptoStatus::Ok : TCryptoStatus::Failure;
}

TCryptoStatus VerifyPkcs1(const CRsaKey& key, const Bytes& data, const Bytes& signature) {
    if (signature.size() != key.ModulusBytes())
        return TCryptoStatus::BadLength;
    if (data.size() + 11 > key.ModulusBytes())
        return TCryptoStatus::DataTooLong;
    Sexp pub = PublicKey(key);
    Sexp input = Value("(data(flags pkcs1-raw)(value %b))", data);
    Sexp sig = Value("(sig-val(rsa(s %b)))", signature);
    if (!pub || !input || !sig)
        return TCryptoStatus::Failure;
    return gcry_pk_verify(sig.get(), input.get(), pub.get()) == 0 ? TCryptoStatus::Ok
                                                                  : TCryptoStatus::BadSignature;
}

TCryptoStatus EncryptPkcs1(const CRsaKey& key, const Bytes& data, Bytes& block) {
    const size_t k = key.ModulusBytes();
    if (data.size() + 11 > k)
        return TCryptoStatus::DataTooLong;
    Sexp pub = PublicKey(key);
    Sexp input = Value("(data(flags pkcs1)(value %b))", data);
    gcry_sexp_t result = nullptr;
    if (!pub || !input || gcry_pk_encrypt(&result, input.get(), pub.get()) != 0)
        return TCryptoStatus::Failure;
    Sexp output(result);
    block = Number(output.get(), "a", k);
    return block.size() == k ? TCryptoStatus::Ok : TCryptoStatus::Failure;
}

TCryptoStatus DecryptPkcs1(const CRsaKey& key, const Bytes& block, Bytes& data) {
    if (block.size() != key.ModulusBytes())
        return TCryptoStatus::BadLength;
    Sexp secret = PrivateKey(key);
    Sexp input = Value("(enc-val(flags pkcs1)(rsa(a %b)))", block);
    gcry_sexp_t result = nullptr;
    if (!secret || !input)
        return TCryptoStatus::Failure;
    if (gcry_pk_decrypt(&result, input.get(), secret.get()) != 0)
        return TCryptoStatus::BadBlock;
    Sexp output(result);
    data = Data(output.get());
    return TCryptoStatus::Ok;
}

TCryptoStatus RawPrivate(const CRsaKey& key, const Bytes& block, Bytes& result) {
    const size_t k = key.ModulusBytes();
    if (block.size() != k)
        return TCryptoStatus::BadLength;
    Sexp secret = PrivateKey(key);
    Sexp input = Value("(enc-val(flags raw)(rsa(a %b)))", block);
    gcry_sexp_t output = nullptr;
    if (!secret || !input)
        return TCryptoStatus::Failure;
    if (gcry_pk_decrypt(&output, input.get(), secret.get()) != 0)
        return TCryptoStatus::BadBlock;
    Sexp plain(output);
    result = Number(plain.get(), "value", k);
    return result.size() == k ? TCryptoStatus::Ok : TCryptoStatus::Failure;
}

static int Algorithm(TDigest algorithm) {
    switch (algorithm) {
    case TDigest::Md5:
        return GCRY_MD_MD5;
    case TDigest::Sha1:
        return GCRY_MD_SHA1;
    case TDigest::Sha256:
        return GCRY_MD_SHA256;
    case TDigest::Sha512:
        return GCRY_MD_SHA512;
    }
    return GCRY_MD_NONE;
}

size_t DigestLength(TDigest algorithm) {
    InitialiseLibrary();
    return gcry_md_get_algo_dlen(Algorithm(algorithm));
}

Bytes Digest(TDigest algorithm, const Bytes& data) {
    Bytes digest(DigestLength(algorithm));
    gcry_md_hash_buffer(Algorithm(algorithm), digest.data(), data.data(), data.size());
    return digest;
}

void RandomBytes(uint8_t* buffer, size_t length) {
    InitialiseLibrary();
    gcry_randomize(buffer, length, GCRY_STRONG_RANDOM);
}

} // namespace sim
