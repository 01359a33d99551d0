#include "tests/fuzz/FuzzVariants.h"

#include <cstring>

namespace norva::fuzz {

namespace {

constexpr VARTYPE kScalarTypes[] = {VT_EMPTY, VT_NULL,     VT_I2,     VT_I4,    VT_R4,   VT_R8,
                                    VT_CY,    VT_DATE,     VT_BSTR,   VT_ERROR, VT_BOOL, VT_I1,
                                    VT_UI1,   VT_UI2,      VT_UI4,    VT_I8,    VT_UI8,  VT_INT,
                                    VT_UINT,  VT_DISPATCH, VT_UNKNOWN};
// Lower bounds far from zero, where counting up to the upper bound may overflow.
constexpr LONG kFarBounds[] = {0x7FFFFFFF, 0x7FFFFFF0, -0x7FFFFFFF - 1, -0x7FFFFFF0, 0x40000000};
constexpr VARTYPE kElementTypes[] = {VT_UI1, VT_I1, VT_I2, VT_I4, VT_BSTR, VT_VARIANT, VT_R8};

} // namespace

CVariantMaker::~CVariantMaker() {
    for (VARIANT& v : variants_) {
        // Arrays and texts are freed below, whatever VARIANT they ended up in.
        std::memset(&v, 0, sizeof v);
    }
    for (SAFEARRAY* a : arrays_) {
        SafeArrayDestroy(a);
    }
    for (BSTR t : texts_) {
        SysFreeString(t);
    }
}

VARIANT& CVariantMaker::Fresh() {
    VARIANT& v = variants_.emplace_back();
    VariantInit(&v);
    return v;
}

BSTR CVariantMaker::Text() {
    if (input_.ConsumeIntegralInRange<int>(0, 15) == 0) {
        return nullptr;
    }
    std::u16string units;
    const size_t count = input_.ConsumeIntegralInRange<size_t>(0, 64);
    for (size_t i = 0; i < count && input_.remaining_bytes() > 0; ++i) {
        // Mostly ASCII, so that digits and PINs come up; any unit now and then.
        const uint8_t b = input_.ConsumeIntegral<uint8_t>();
        units += b < 0xF0 ? static_cast<char16_t>(b & 0x7F)
                          : static_cast<char16_t>(input_.ConsumeIntegral<uint16_t>());
    }
    BSTR text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(units.data()),
                                  static_cast<UINT>(units.size()));
    texts_.push_back(text);
    return text;
}

SAFEARRAY* CVariantMaker::Array(VARTYPE elementType) {
    SAFEARRAYBOUND bounds[2];
    const UINT dims = input_.ConsumeIntegralInRange<UINT>(1, 2);
    ULONG total = 1;
    for (UINT d = 0; d < dims; ++d) {
        bounds[d].cElements = input_.ConsumeIntegralInRange<ULONG>(0, 48);
        bounds[d].lLbound = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<LONG>(-3, 3)
                                                 : input_.PickValueInArray(kFarBounds);
        total *= bounds[d].cElements;
    }
    SAFEARRAY* array = SafeArrayCreate(elementType, dims, bounds);
    if (array == nullptr) {
        return nullptr;
    }
    arrays_.push_back(array);
    void* data = nullptr;
    if (SafeArrayAccessData(array, &data) != S_OK) {
        return array;
    }
    for (ULONG i = 0; i < total; ++i) {
        switch (elementType) {
        case VT_BSTR:
            // The array frees its own texts: a copy of ours.
            if (BSTR t = Text()) {
                static_cast<BSTR*>(data)[i] = SysAllocStringLen(t, SysStringLen(t));
            }
            break;
        case VT_VARIANT:
            static_cast<VARIANT*>(data)[i].vt = VT_I4;
            static_cast<VARIANT*>(data)[i].lVal = input_.ConsumeIntegral<LONG>();
            break;
        default: {
            const UINT size = SafeArrayGetElemsize(array);
            for (UINT b = 0; b < size; ++b) {
                static_cast<uint8_t*>(data)[i * size + b] = input_.ConsumeIntegral<uint8_t>();
            }
        }
        }
    }
    SafeArrayUnaccessData(array);
    return array;
}

VARIANT& CVariantMaker::Make(int depth) {
    VARIANT& v = Fresh();
    const int kind = input_.ConsumeIntegralInRange<int>(0, 9);
    if (kind < 4) { // a scalar or a text
        v.vt = input_.PickValueInArray(kScalarTypes);
        if (v.vt == VT_BSTR) {
            v.bstrVal = Text();
        } else if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) {
            v.llVal = input_.ConsumeIntegral<LONGLONG>();
        }
        if (v.vt == VT_BOOL && input_.ConsumeBool()) {
            v.boolVal = input_.ConsumeBool() ? VARIANT_TRUE : VARIANT_FALSE;
        }
    } else if (kind < 7) { // an array
        const VARTYPE element = input_.PickValueInArray(kElementTypes);
        v.vt = static_cast<VARTYPE>(VT_ARRAY | element);
        v.parray = input_.ConsumeIntegralInRange<int>(0, 15) == 0 ? nullptr : Array(element);
    } else if (kind < 8) { // a text by reference
        v.vt = VT_BYREF | VT_BSTR;
        v.pbstrVal = &textSlots_.emplace_back(Text());
    } else if (kind < 9) { // an array by reference
        const VARTYPE element = input_.PickValueInArray(kElementTypes);
        v.vt = static_cast<VARTYPE>(VT_BYREF | VT_ARRAY | element);
        v.pparray = &arraySlots_.emplace_back(Array(element));
    } else if (depth > 0) { // a VARIANT by reference
        VARIANT& inner = Make(depth - 1);
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &inner;
    }
    return v;
}

} // namespace norva::fuzz
