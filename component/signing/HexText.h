// The hexadecimal text form of every binary result: two upper-case digits per byte, high
// nibble first, no separators.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

std::string EncodeHexText(const uint8_t* data, size_t count);

// Pairs of digits "0"-"9", "A"-"F", "a"-"f", high nibble first; an odd last character is
// ignored, digit or not. Any other character in a pair refuses the whole text (false, bytes
// left empty): such a text is never turned into bytes that nobody wrote.
bool DecodeHexText(std::string_view text, std::vector<uint8_t>& bytes);
