// Named choices and shared sizes of data signing and file signing.
#pragma once

#include <cstddef>

// Whether SignBlock decrypts the block with the private key before signing what comes out.
enum class SignStep {
    SignOnly,
    DecryptFirst,
};

// Room for one decrypted block and for one signature: a 2048-bit key needs 256 bytes of it.
inline constexpr size_t kBlockRoom = 1000;
// Room for one digest (SHA-512 needs 64 bytes).
inline constexpr size_t kDigestRoom = 255;
