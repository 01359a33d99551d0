// The card's key: public-key record, signing, raw decryption, signature checks, and
// the hashing functions.
#include <cstring>

#include "testing/hlsim/HlChecks.h"

using namespace hlsim;

namespace {

std::string Num(long value) {
    return std::to_string(value);
}

std::string Hex(const void* data, size_t length) {
    return data ? sim::ToHex(static_cast<const uint8_t*>(data), length) : "null";
}

struct CHashAlgorithm {
    int32_t id;
    sim::TDigest digest;
    int32_t blockSize;
    const char* name;
};

const CHashAlgorithm kHashes[] = {
    {HL_HASH_SHA1, sim::TDigest::Sha1, 64, "SHA-1"},
    {HL_HASH_SHA256, sim::TDigest::Sha256, 64, "SHA-256"},
};

const CHashAlgorithm* HashOf(int32_t id) {
    for (const auto& hash : kHashes)
        if (hash.id == id)
            return &hash;
    return nullptr;
}

// The context block the caller keeps between hl_init_hash and hl_end_hash: a mark and
// the number of this process's hash run.
struct CHashContext {
    char mark[4];
    int32_t run;
};
constexpr char kHashMark[4] = {'H', 'L', 'H', 'S'};

CHashRun* RunOf(CHlCall& call, const void* context, int32_t& id) {
    if (!context)
        return nullptr;
    CHashContext header;
    std::memcpy(&header, context, sizeof header);
    if (std::memcmp(header.mark, kHashMark, sizeof kHashMark) != 0)
        return nullptr;
    auto found = call.runtime.hashes.find(header.run);
    id = header.run;
    return found == call.runtime.hashes.end() ? nullptr : &found->second;
}

int32_t KeyCheck(const CHlCall& call, int32_t handle) {
    if (const int32_t result = CheckLoggedOn(call, handle))
        return result;
    return call.state.HasKey() ? HL_OK : HL_ERR_NO_KEY;
}

} // namespace

extern "C" {

int32_t WINAPI hl_get_public_key(int32_t handle, void* record) {
    return HlDispatch("hl_get_public_key", {{"handle", Num(handle)}}, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!record)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        if (!call.state.HasKey())
            return int32_t(HL_ERR_NO_KEY);
        HlPublicKeyRecord out{};
        const Bytes& n = call.state.key.n;
        const size_t skip = n.size() - call.state.key.ModulusBytes();
        out.byteCount = static_cast<int32_t>(n.size() - skip);
        std::copy(n.begin() + skip, n.end(), out.bytes);
        std::memcpy(record, &out, sizeof out);
        return int32_t(HL_OK);
    });
}

// PKCS#1 v1.5 type-1 padding around the data as given (padding 1), then the
// private-key operation; the signature has the key's length.
int32_t WINAPI hl_sign(int32_t handle, const void* data, int32_t length, void* signature,
                       int32_t reserved, int32_t padding) {
    sim::TCallArgs args = {{"handle", Num(handle)},
                           {"data", Hex(data, length > 0 ? length : 0)},
                           {"reserved", Num(reserved)},
                           {"padding", Num(padding)}};
    return HlDispatch("hl_sign", args, [&](CHlCall& call) {
        if (const int32_t result = KeyCheck(call, handle))
            return result;
        if (!signature || length < 0 || (!data && length > 0) || padding != 1)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        const auto* bytes = static_cast<const uint8_t*>(data);
        Bytes out;
        const auto status = sim::SignPkcs1(call.state.key, Bytes(bytes, bytes + length), out);
        if (status == sim::TCryptoStatus::DataTooLong)
            return int32_t(HL_ERR_DATA_TOO_LONG);
        if (status != sim::TCryptoStatus::Ok)
            return int32_t(HL_ERR_DEVICE);
        std::memcpy(signature, out.data(), out.size());
        return int32_t(HL_OK);
    });
}

// The raw private-key operation on one block of the key's length; nothing is removed
// from the result.
int32_t WINAPI hl_RSA_decrypt(int32_t handle, const void* input, void* output, int32_t reserved) {
    return HlDispatch("hl_RSA_decrypt", {{"handle", Num(handle)}, {"reserved", Num(reserved)}},
                      [&](CHlCall& call) {
                          if (const int32_t result = KeyCheck(call, handle))
                              return result;
                          if (!input || !output)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          const auto* in = static_cast<const uint8_t*>(input);
                          const Bytes block(in, in + call.state.key.ModulusBytes());
                          call.Arg("input", sim::ToHex(block));
                          Bytes out;
                          if (sim::RawPrivate(call.state.key, block, out) != sim::TCryptoStatus::Ok)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          std::memcpy(output, out.data(), out.size());
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_verify_signature(int32_t handle, const void* data, int32_t dataLength,
                                   const void* signature, int32_t signatureLength, int32_t padding,
                                   int32_t reserved) {
    sim::TCallArgs args = {{"handle", Num(handle)},
                           {"data", Hex(data, dataLength > 0 ? dataLength : 0)},
                           {"signature", Hex(signature, signatureLength > 0 ? signatureLength : 0)},
                           {"padding", Num(padding)},
                           {"reserved", Num(reserved)}};
    return HlDispatch("hl_verify_signature", args, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!call.state.HasKey())
            return int32_t(HL_ERR_NO_KEY);
        if (!data || !signature || dataLength < 0 || signatureLength < 0 || padding != 1)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        const auto* d = static_cast<const uint8_t*>(data);
        const auto* s = static_cast<const uint8_t*>(signature);
        const auto status = sim::VerifyPkcs1(call.state.key, Bytes(d, d + dataLength),
                                             Bytes(s, s + signatureLength));
        return status == sim::TCryptoStatus::Ok ? int32_t(HL_OK) : int32_t(HL_ERR_BAD_SIGNATURE);
    });
}

int32_t WINAPI hl_get_hash_alg_details(int32_t handle, int32_t algorithm, void* details) {
    return HlDispatch("hl_get_hash_alg_details",
                      {{"handle", Num(handle)}, {"algorithm", Num(algorithm)}}, [&](CHlCall& call) {
                          if (const int32_t result = CheckHandle(call, handle))
                              return result;
                          if (!details)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          HlHashDetails record{};
                          std::memcpy(&record.size, details, sizeof record.size);
                          if (record.size < HL_HASH_DETAILS_SIZE)
                              return int32_t(HL_ERR_BUFFER_TOO_SMALL);
                          const CHashAlgorithm* hash = HashOf(algorithm);
                          if (!hash)
                              return int32_t(HL_ERR_BAD_ALGORITHM);
                          record.algorithm = hash->id;
                          record.blockSize = hash->blockSize;
                          record.digestLength =
                              static_cast<int32_t>(sim::DigestLength(hash->digest));
                          SetField(record.name, hash->name);
                          std::memcpy(details, &record, sizeof record);
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_init_hash(int32_t handle, int32_t algorithm, void* context) {
    return HlDispatch("hl_init_hash", {{"handle", Num(handle)}, {"algorithm", Num(algorithm)}},
                      [&](CHlCall& call) {
                          if (const int32_t result = CheckHandle(call, handle))
                              return result;
                          if (!context)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          if (!HashOf(algorithm))
                              return int32_t(HL_ERR_BAD_ALGORITHM);
                          CHashContext header{{}, call.runtime.nextHash++};
                          std::memcpy(header.mark, kHashMark, sizeof kHashMark);
                          std::memset(context, 0, HL_HASH_CONTEXT_SIZE);
                          std::memcpy(context, &header, sizeof header);
                          call.runtime.hashes[header.run] = CHashRun{algorithm, {}};
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_cont_hash(void* context, const void* data, int32_t length) {
    return HlDispatch("hl_cont_hash", {{"data", Hex(data, length > 0 ? length : 0)}},
                      [&](CHlCall& call) {
                          int32_t id = 0;
                          CHashRun* run = RunOf(call, context, id);
                          if (!run)
                              return int32_t(HL_ERR_BAD_CONTEXT);
                          if (length < 0 || (!data && length > 0))
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          const auto* bytes = static_cast<const uint8_t*>(data);
                          run->data.insert(run->data.end(), bytes, bytes + length);
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_end_hash(void* context, void* digest) {
    return HlDispatch("hl_end_hash", {}, [&](CHlCall& call) {
        int32_t id = 0;
        CHashRun* run = RunOf(call, context, id);
        if (!run)
            return int32_t(HL_ERR_BAD_CONTEXT);
        if (!digest)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        const Bytes value = sim::Digest(HashOf(run->algorithm)->digest, run->data);
        std::memcpy(digest, value.data(), value.size());
        call.Arg("digest", sim::ToHex(value));
        call.runtime.hashes.erase(id);
        std::memset(context, 0, sizeof(CHashContext));
        return int32_t(HL_OK);
    });
}

} // extern "C"
