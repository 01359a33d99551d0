// The native-messaging frame, the same in both directions: a 32-bit length in the machine's
// own byte order (little-endian on every target), then that many bytes of UTF-8 JSON text.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace norva::host {

struct WireLength {
    uint32_t textBytes;
};
static_assert(sizeof(WireLength) == 4, "the length prefix is exactly four bytes");

// Reads one request. Length bytes that never arrive stay zero; the body is read one byte at a
// time until the announced length or the end of input, whichever comes first. Nothing is
// reserved from the announced length, so a huge prefix costs only the bytes that do arrive.
std::string ReadFramedText(std::istream& in);

// Writes the length (one write) and the text (a second write), flushing each.
void WriteFramedText(std::ostream& out, const std::string& text);

} // namespace norva::host
