// Byte strings and their upper-case hexadecimal text form, as the simulators store and
// log them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<uint8_t>;

std::string ToHex(const uint8_t* data, size_t length);
inline std::string ToHex(const Bytes& bytes) {
    return ToHex(bytes.data(), bytes.size());
}
// Pairs of hexadecimal digits, either case; nothing else is accepted.
std::optional<Bytes> FromHex(const std::string& text);
inline Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}
inline std::string ToText(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

} // namespace sim
