// UTF-8 and UTF-16 conversion. Invalid input (a malformed UTF-8 sequence, an unpaired
// surrogate) becomes U+FFFD, one per maximal invalid subpart, unless the caller asks to be
// told: then the conversion stops and reports false.
#pragma once

#include <string>

namespace norva {

bool Utf16FromUtf8(const char* text, size_t length, std::u16string& out, bool strict);
bool Utf8FromUtf16(const char16_t* text, size_t length, std::string& out, bool strict);

// Lenient conversions of whole strings, for file names and store text.
std::u16string ToUtf16(const std::string& text);
std::string ToUtf8(const std::u16string& text);

} // namespace norva
