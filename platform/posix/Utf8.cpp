#include "platform/posix/Utf8.h"

#include <cstdint>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

struct LeadByte {
    uint8_t first, last;           // range of the lead byte
    int continuations;             // bytes that follow
    uint8_t secondLow, secondHigh; // allowed range of the first continuation byte
};

// Well-formed UTF-8 lead bytes (Unicode table 3-7): no overlong forms, no surrogates,
// nothing above U+10FFFF.
constexpr LeadByte kLeadBytes[] = {
    {0xC2, 0xDF, 1, 0x80, 0xBF}, {0xE0, 0xE0, 2, 0xA0, 0xBF}, {0xE1, 0xEC, 2, 0x80, 0xBF},
    {0xED, 0xED, 2, 0x80, 0x9F}, {0xEE, 0xEF, 2, 0x80, 0xBF}, {0xF0, 0xF0, 3, 0x90, 0xBF},
    {0xF1, 0xF3, 3, 0x80, 0xBF}, {0xF4, 0xF4, 3, 0x80, 0x8F},
};

const LeadByte* FindLead(uint8_t byte) {
    for (const LeadByte& lead : kLeadBytes) {
        if (byte >= lead.first && byte <= lead.last) {
            return &lead;
        }
    }
    return nullptr;
}

void AppendCodePoint(std::u16string& out, uint32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
        return;
    }
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
}

// Decodes one sequence at text[pos]; returns the bytes consumed (the maximal subpart when
// invalid) and sets cp, or sets valid to false.
size_t DecodeOne(const uint8_t* text, size_t length, size_t pos, uint32_t& cp, bool& valid) {
    const uint8_t lead = text[pos];
    valid = true;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    const LeadByte* info = FindLead(lead);
    valid = false;
    if (info == nullptr) {
        return 1;
    }
    cp = lead & (0x3F >> info->continuations);
    for (int i = 1; i <= info->continuations; ++i) {
        if (pos + i >= length) {
            return i;
        }
        const uint8_t byte = text[pos + i];
        const uint8_t low = i == 1 ? info->secondLow : 0x80;
        const uint8_t high = i == 1 ? info->secondHigh : 0xBF;
        if (byte < low || byte > high) {
            return i;
        }
        cp = (cp << 6) | (byte & 0x3F);
    }
    valid = true;
    return info->continuations + 1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

namespace norva {

bool Utf16FromUtf8(const char* text, size_t length, std::u16string& out, bool strict) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    out.clear();
    for (size_t pos = 0; pos < length;) {
        uint32_t cp = 0;
        bool valid = false;
        pos += DecodeOne(bytes, length, pos, cp, valid);
        if (!valid && strict) {
            return false;
        }
        AppendCodePoint(out, valid ? cp : kReplacement);
    }
    return true;
}

bool Utf8FromUtf16(const char16_t* text, size_t length, std::string& out, bool strict) {
    out.clear();
    for (size_t pos = 0; pos < length; ++pos) {
        uint32_t cp = text[pos];
        if (IsHighSurrogate(text[pos]) && pos + 1 < length && IsLowSurrogate(text[pos + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[pos + 1] - 0xDC00);
            ++pos;
        } else if (IsHighSurrogate(text[pos]) || IsLowSurrogate(text[pos])) {
            if (strict) {
                return false;
            }
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return true;
}

std::u16string ToUtf16(const std::string& text) {
    std::u16string out;
    Utf16FromUtf8(text.data(), text.size(), out, false);
    return out;
}

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    Utf8FromUtf16(text.data(), text.size(), out, false);
    return out;
}

} // namespace norva
