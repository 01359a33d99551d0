// The value a VARIANT conversion passes through: a signed, unsigned or floating-point
// number, remembering whether it came from a VARIANT_BOOL or a single-precision float.
#pragma once

#include "platform/WinApi.h"

#include <string>

namespace norva {

struct VariantNumber {
    enum class Kind { Signed, Unsigned, Real };
    Kind kind = Kind::Signed;
    int64_t signedValue = 0;
    uint64_t unsignedValue = 0;
    double realValue = 0;
    bool fromBool = false;
    bool singlePrecision = false;

    static VariantNumber Signed(int64_t value);
    static VariantNumber Unsigned(uint64_t value);
    static VariantNumber Real(double value, bool single = false);
    static VariantNumber Bool(VARIANT_BOOL value);

    bool IsZero() const;
    double AsDouble() const;
};

// Parses the text forms that automation accepts for numbers: surrounding blanks, a sign,
// digits with thousands separators, a decimal point and an exponent. DISP_E_TYPEMISMATCH
// for anything else, DISP_E_OVERFLOW for a value beyond the double range.
HRESULT ParseVariantNumber(const char16_t* text, size_t length, VariantNumber& number);

// Decimal text; real numbers with 15 significant digits (7 for single precision).
std::u16string FormatVariantNumber(const VariantNumber& number);

} // namespace norva
