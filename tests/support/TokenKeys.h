// The key and data objects a simulated token holds, read from its state as stored.
#pragma once

#include <cstddef>
#include <vector>

#include "testing/tokensim/TokenState.h"

namespace norva::test {

inline bool IsKeyObject(const tokensim::CObject& object) {
    const CK_ULONG objectClass = object.Number(CKA_CLASS, CKO_DATA);
    return objectClass == CKO_PUBLIC_KEY || objectClass == CKO_PRIVATE_KEY;
}

// Both halves of every key pair count.
inline size_t KeyObjectCount(const tokensim::CToken& token) {
    size_t keys = 0;
    for (const tokensim::CObject& object : token.objects) {
        keys += IsKeyObject(object) ? 1 : 0;
    }
    return keys;
}

// The modulus of the first public key, empty when there is none.
inline sim::Bytes StoredModulus(const tokensim::CToken& token) {
    for (const tokensim::CObject& object : token.objects) {
        if (object.Number(CKA_CLASS, CKO_DATA) == CKO_PUBLIC_KEY && object.Find(CKA_MODULUS)) {
            return *object.Find(CKA_MODULUS);
        }
    }
    return {};
}

// The values of its data objects (the holder record is one), in the token's order.
inline std::vector<sim::Bytes> DataObjectValues(const tokensim::CToken& token) {
    std::vector<sim::Bytes> values;
    for (const tokensim::CObject& object : token.objects) {
        if (object.Number(CKA_CLASS, CKO_VENDOR_DEFINED) == CKO_DATA && object.Find(CKA_VALUE)) {
            values.push_back(*object.Find(CKA_VALUE));
        }
    }
    return values;
}

} // namespace norva::test
