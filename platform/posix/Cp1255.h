// The ANSI code page on POSIX: Windows-1255 (Hebrew), extended so that each of the 256 bytes
// has its own UTF-16 unit. Bytes that Windows-1255 leaves undefined stand for U+0080-U+00FF
// of the same value, so any byte string survives a round trip.
#pragma once

#include <cstdint>

namespace norva {

constexpr uint32_t kAnsiCodePage = 1255;

char16_t Cp1255ToUnit(uint8_t byte);
// False when the character has no byte.
bool Cp1255FromUnit(char16_t unit, uint8_t& byte);

} // namespace norva
