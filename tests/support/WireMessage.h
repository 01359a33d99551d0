// The native-messaging frame as tests build it: the text's byte count in four little-endian
// bytes, then the text.
#pragma once

#include <cstdint>
#include <string>

namespace norva::test {

inline std::string Framed(const std::string& text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8) {
        bytes += static_cast<char>((length >> shift) & 0xFF);
    }
    return bytes + text;
}

} // namespace norva::test
