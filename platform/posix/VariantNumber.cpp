#include "platform/posix/VariantNumber.h"

#include <charconv>

namespace norva {

VariantNumber VariantNumber::Signed(int64_t value) {
    VariantNumber number;
    number.signedValue = value;
    return number;
}

VariantNumber VariantNumber::Unsigned(uint64_t value) {
    VariantNumber number;
    number.kind = Kind::Unsigned;
    number.unsignedValue = value;
    return number;
}

VariantNumber VariantNumber::Real(double value, bool single) {
    VariantNumber number;
    number.kind = Kind::Real;
    number.realValue = value;
    number.singlePrecision = single;
    return number;
}

VariantNumber VariantNumber::Bool(VARIANT_BOOL value) {
    VariantNumber number = Signed(value != VARIANT_FALSE ? -1 : 0);
    number.fromBool = true;
    return number;
}

bool VariantNumber::IsZero() const {
    switch (kind) {
    case Kind::Signed:
        return signedValue == 0;
    case Kind::Unsigned:
        return unsignedValue == 0;
    case Kind::Real:
        return realValue == 0;
    }
    return true;
}

double VariantNumber::AsDouble() const {
    switch (kind) {
    case Kind::Signed:
        return static_cast<double>(signedValue);
    case Kind::Unsigned:
        return static_cast<double>(unsignedValue);
    case Kind::Real:
        return realValue;
    }
    return 0;
}

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}
bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Copies the digits at text[pos] into out; commas between digits are thousands separators
// when allowed.
size_t CopyDigits(const char16_t* text, size_t length, size_t& pos, std::string& out,
                  bool separators) {
    size_t count = 0;
    for (; pos < length; ++pos) {
        if (IsDigit(text[pos])) {
            out += static_cast<char>(text[pos]);
            ++count;
        } else if (!(separators && count > 0 && text[pos] == u',')) {
            break;
        }
    }
    return count;
}

// Rewrites the accepted text as a plain C numeral; false when it is not a number.
bool Normalise(const char16_t* text, size_t length, std::string& numeral, bool& integral) {
    size_t pos = 0;
    while (pos < length && IsBlank(text[pos])) {
        ++pos;
    }
    while (length > pos && IsBlank(text[length - 1])) {
        --length;
    }
    if (pos < length && (text[pos] == u'+' || text[pos] == u'-')) {
        numeral += static_cast<char>(text[pos++]);
    }
    size_t digits = CopyDigits(text, length, pos, numeral, true);
    integral = true;
    if (pos < length && text[pos] == u'.') {
        numeral += '.';
        ++pos;
        digits += CopyDigits(text, length, pos, numeral, false);
        integral = false;
    }
    if (digits == 0) {
        return false;
    }
    if (pos < length && (text[pos] == u'e' || text[pos] == u'E')) {
        numeral += 'e';
        ++pos;
        if (pos < length && (text[pos] == u'+' || text[pos] == u'-')) {
            numeral += static_cast<char>(text[pos++]);
        }
        if (CopyDigits(text, length, pos, numeral, false) == 0) {
            return false;
        }
        integral = false;
    }
    return pos == length;
}

} // namespace

HRESULT ParseVariantNumber(const char16_t* text, size_t length, VariantNumber& number) {
    std::string numeral;
    bool integral = false;
    if (text == nullptr || !Normalise(text, length, numeral, integral)) {
        return DISP_E_TYPEMISMATCH;
    }
    // from_chars takes no plus sign and ignores the locale's decimal separator.
    const size_t start = numeral[0] == '+' ? 1 : 0;
    const char* first = numeral.data() + start;
    const char* last = numeral.data() + numeral.size();
    if (integral) {
        int64_t value = 0;
        if (std::from_chars(first, last, value).ec == std::errc()) {
            number = VariantNumber::Signed(value);
            return S_OK;
        }
    }
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc::result_out_of_range) {
        // Too small to represent is zero; too large overflows.
        if (numeral.find("e-") == std::string::npos) {
            return DISP_E_OVERFLOW;
        }
        value = 0;
    }
    number = VariantNumber::Real(value);
    return S_OK;
}

std::u16string FormatVariantNumber(const VariantNumber& number) {
    char buffer[64];
    char* end = buffer;
    switch (number.kind) {
    case VariantNumber::Kind::Signed:
        end = std::to_chars(buffer, buffer + sizeof(buffer), number.signedValue).ptr;
        break;
    case VariantNumber::Kind::Unsigned:
        end = std::to_chars(buffer, buffer + sizeof(buffer), number.unsignedValue).ptr;
        break;
    case VariantNumber::Kind::Real:
        end = std::to_chars(buffer, buffer + sizeof(buffer), number.realValue,
                            std::chars_format::general, number.singlePrecision ? 7 : 15)
                  .ptr;
        break;
    }
    std::u16string text(buffer, end);
    for (char16_t& c : text) {
        if (c == u'e') {
            c = u'E';
        }
    }
    return text;
}

} // namespace norva
