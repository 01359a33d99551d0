// The key objects a simulated token holds, read from its state as stored.
#pragma once

#include <cstddef>

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

} // namespace norva::test
