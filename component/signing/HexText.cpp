#include "component/signing/HexText.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// The value of a digit, or -1.
int DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

std::string EncodeHexText(const uint8_t* data, size_t count) {
    std::string text;
    text.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 0x0F];
    }
    return text;
}

bool DecodeHexText(std::string_view text, std::vector<uint8_t>& bytes) {
    bytes.clear();
    // An odd last character is never read, whatever it is (a line end after the pairs, say).
    const std::string_view pairs = text.substr(0, text.size() - text.size() % 2);
    for (char c : pairs) {
        if (DigitValue(c) < 0) {
            return false;
        }
    }
    bytes.reserve(pairs.size() / 2);
    for (size_t i = 0; i < pairs.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(DigitValue(pairs[i]) << 4 | DigitValue(pairs[i + 1])));
    }
    return true;
}
