// VariantChangeType for the scalar types an automation dispatcher coerces between: the
// integers, R4, R8, BOOL, BSTR and EMPTY. By-reference sources are dereferenced first.
#include "platform/WinApi.h"

#include "platform/posix/VariantNumber.h"
#include "platform/posix/VariantTypes.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

using norva::VariantNumber;

struct IntegerTarget {
    VARTYPE vt;
    int64_t min;
    uint64_t max;
    void (*store)(VARIANT&, int64_t);
};

template <typename T, T VARIANT::*member> void Store(VARIANT& v, int64_t value) {
    v.*member = static_cast<T>(value);
}

constexpr IntegerTarget kIntegerTargets[] = {
    {VT_I1, INT8_MIN, INT8_MAX, Store<CHAR, &VARIANT::cVal>},
    {VT_UI1, 0, UINT8_MAX, Store<BYTE, &VARIANT::bVal>},
    {VT_I2, INT16_MIN, INT16_MAX, Store<SHORT, &VARIANT::iVal>},
    {VT_UI2, 0, UINT16_MAX, Store<USHORT, &VARIANT::uiVal>},
    {VT_I4, INT32_MIN, INT32_MAX, Store<LONG, &VARIANT::lVal>},
    {VT_UI4, 0, UINT32_MAX, Store<ULONG, &VARIANT::ulVal>},
    {VT_INT, INT32_MIN, INT32_MAX, Store<INT, &VARIANT::intVal>},
    {VT_UINT, 0, UINT32_MAX, Store<UINT, &VARIANT::uintVal>},
    {VT_I8, INT64_MIN, INT64_MAX, Store<LONGLONG, &VARIANT::llVal>},
    {VT_UI8, 0, UINT64_MAX, Store<ULONGLONG, &VARIANT::ullVal>},
};

const IntegerTarget* FindIntegerTarget(VARTYPE vt) {
    for (const IntegerTarget& target : kIntegerTargets) {
        if (target.vt == vt) {
            return &target;
        }
    }
    return nullptr;
}

// Reads a scalar source as a number; false for a source that is no number (EMPTY is 0).
bool ReadNumber(const VARIANT& v, VariantNumber& number) {
    switch (v.vt) {
    case VT_EMPTY:
        number = VariantNumber::Signed(0);
        return true;
    case VT_I1:
        number = VariantNumber::Signed(v.cVal);
        return true;
    case VT_UI1:
        number = VariantNumber::Signed(v.bVal);
        return true;
    case VT_I2:
        number = VariantNumber::Signed(v.iVal);
        return true;
    case VT_UI2:
        number = VariantNumber::Signed(v.uiVal);
        return true;
    case VT_I4:
        number = VariantNumber::Signed(v.lVal);
        return true;
    case VT_UI4:
        number = VariantNumber::Signed(v.ulVal);
        return true;
    case VT_INT:
        number = VariantNumber::Signed(v.intVal);
        return true;
    case VT_UINT:
        number = VariantNumber::Signed(v.uintVal);
        return true;
    case VT_I8:
        number = VariantNumber::Signed(v.llVal);
        return true;
    case VT_UI8:
        number = VariantNumber::Unsigned(v.ullVal);
        return true;
    case VT_R4:
        number = VariantNumber::Real(v.fltVal, true);
        return true;
    case VT_R8:
        number = VariantNumber::Real(v.dblVal);
        return true;
    case VT_BOOL:
        number = VariantNumber::Bool(v.boolVal);
        return true;
    default:
        return false;
    }
}

bool EqualsIgnoringAsciiCase(const std::u16string& text, const char* word) {
    size_t i = 0;
    for (; word[i] != 0; ++i) {
        char16_t c = i < text.size() ? text[i] : 0;
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
        if (c != static_cast<char16_t>(word[i])) {
            return false;
        }
    }
    return i == text.size();
}

std::u16string Trimmed(const std::u16string& text) {
    const size_t first = text.find_first_not_of(u" \t");
    if (first == std::u16string::npos) {
        return std::u16string();
    }
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

HRESULT ToInteger(const VariantNumber& number, const IntegerTarget& target, VARIANT& out) {
    int64_t value = 0;
    if (number.kind == VariantNumber::Kind::Real) {
        // Round half to even, the default rounding mode, as automation does.
        const double rounded = std::nearbyint(number.realValue);
        if (!(rounded >= static_cast<double>(target.min) &&
              rounded < static_cast<double>(target.max) + 1.0)) {
            return DISP_E_OVERFLOW;
        }
        if (target.vt == VT_UI8 && rounded >= 9223372036854775808.0) {
            out.ullVal = static_cast<uint64_t>(rounded);
            out.vt = target.vt;
            return S_OK;
        }
        value = static_cast<int64_t>(rounded);
    } else if (number.kind == VariantNumber::Kind::Unsigned) {
        if (number.unsignedValue > target.max) {
            return DISP_E_OVERFLOW;
        }
        value = static_cast<int64_t>(number.unsignedValue);
    } else {
        value = number.signedValue;
        // VARIANT_TRUE in an unsigned type keeps all its bits set, as on Windows.
        const bool wrapsBool = number.fromBool && target.min == 0;
        if (!wrapsBool &&
            (value < target.min || (value > 0 && static_cast<uint64_t>(value) > target.max))) {
            return DISP_E_OVERFLOW;
        }
    }
    target.store(out, value);
    out.vt = target.vt;
    return S_OK;
}

HRESULT ToReal(const VariantNumber& number, VARTYPE vt, VARIANT& out) {
    const double value = number.AsDouble();
    if (vt == VT_R8) {
        out.dblVal = value;
    } else {
        if (std::isfinite(value) && std::fabs(value) > FLT_MAX) {
            return DISP_E_OVERFLOW;
        }
        out.fltVal = static_cast<float>(value);
    }
    out.vt = vt;
    return S_OK;
}

HRESULT ToBstr(const std::u16string& text, VARIANT& out) {
    out.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (out.bstrVal == nullptr) {
        return E_OUTOFMEMORY;
    }
    out.vt = VT_BSTR;
    return S_OK;
}

HRESULT NumberToBstr(const VariantNumber& number, USHORT flags, VARIANT& out) {
    if (number.fromBool && (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) != 0) {
        return ToBstr(number.IsZero() ? u"False" : u"True", out);
    }
    return ToBstr(norva::FormatVariantNumber(number), out);
}

HRESULT BstrToBool(const std::u16string& text, VARIANT& out) {
    const std::u16string word = Trimmed(text);
    out.vt = VT_BOOL;
    if (EqualsIgnoringAsciiCase(word, "true")) {
        out.boolVal = VARIANT_TRUE;
        return S_OK;
    }
    if (EqualsIgnoringAsciiCase(word, "false")) {
        out.boolVal = VARIANT_FALSE;
        return S_OK;
    }
    VariantNumber number;
    const HRESULT hr = norva::ParseVariantNumber(text.data(), text.size(), number);
    if (FAILED(hr)) {
        out.vt = VT_EMPTY;
        return hr;
    }
    out.boolVal = number.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT FromNumber(const VariantNumber& number, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (const IntegerTarget* target = FindIntegerTarget(vt)) {
        return ToInteger(number, *target, out);
    }
    switch (vt) {
    case VT_R4:
    case VT_R8:
        return ToReal(number, vt, out);
    case VT_BOOL:
        out.vt = VT_BOOL;
        out.boolVal = number.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    case VT_BSTR:
        return NumberToBstr(number, flags, out);
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT FromBstr(BSTR bstr, USHORT flags, VARTYPE vt, VARIANT& out) {
    const std::u16string text(bstr != nullptr ? bstr : u"", SysStringLen(bstr));
    if (vt == VT_BOOL) {
        return BstrToBool(text, out);
    }
    VariantNumber number;
    const HRESULT hr = norva::ParseVariantNumber(text.data(), text.size(), number);
    if (FAILED(hr)) {
        return hr;
    }
    return FromNumber(number, flags, vt, out);
}

// Converts a source that is not by reference into out, which starts empty.
HRESULT Convert(const VARIANT& src, USHORT flags, VARTYPE vt, VARIANT& out) {
    if (vt == VT_EMPTY) {
        return S_OK;
    }
    if (src.vt == vt) {
        return VariantCopy(&out, &src);
    }
    if (src.vt == VT_BSTR) {
        if (vt == VT_NULL) {
            return DISP_E_TYPEMISMATCH;
        }
        return FromBstr(src.bstrVal, flags, vt, out);
    }
    if (src.vt == VT_EMPTY && vt == VT_BSTR) {
        return ToBstr(std::u16string(), out);
    }
    VariantNumber number;
    if (!ReadNumber(src, number)) {
        return DISP_E_TYPEMISMATCH;
    }
    return FromNumber(number, flags, vt, out);
}

bool IsSupportedTarget(VARTYPE vt) {
    return norva::IsValidVariantType(vt) && (vt & VT_BYREF) == 0;
}

} // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID, USHORT wFlags,
                            VARTYPE vt) {
    if (pvargDest == nullptr || pvarSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (!IsSupportedTarget(vt) || !norva::IsValidVariantType(pvarSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT source;
    VariantInit(&source);
    HRESULT hr = VariantCopyInd(&source, pvarSrc);
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT result;
    VariantInit(&result);
    hr = Convert(source, wFlags, vt, result);
    VariantClear(&source);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    // The destination may be the source itself; it changes only once the result is ready.
    hr = VariantClear(pvargDest);
    if (FAILED(hr)) {
        VariantClear(&result);
        return hr;
    }
    *pvargDest = result;
    return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags,
                          VARTYPE vt) {
    return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}
