#include "component/signing/RawData.h"

#include <new>
#include <string>

#include "component/access/AnsiText.h"
#include "component/signing/HexText.h"
#include "platform/OwnedBstr.h"

namespace {

constexpr VARTYPE kElementTypeMask = 0x0FFF;

bool IsByteArray(VARTYPE type) {
    const VARTYPE element = type & kElementTypeMask;
    return (type & VT_ARRAY) != 0 && (element == VT_UI1 || element == VT_I1);
}

TZentorError ArrayBytes(SAFEARRAY* array, std::vector<uint8_t>& bytes) {
    // Only one dimension: the elements of the first are then all the elements, in order.
    if (array == nullptr || SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1) {
        return ZTInvalidDataType;
    }
    // The count comes from the descriptor, not from the bounds: the upper bound wraps around
    // when the lower bound is near the end of its range, and an empty array from the lowest
    // bound would otherwise seem to hold four thousand million elements.
    const size_t count = array->rgsabound[0].cElements;
    if (count == 0) {
        return ZTInvalidDataType;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)) || data == nullptr) {
        return ZTInvalidDataType;
    }
    const auto* first = static_cast<const uint8_t*>(data);
    bytes.assign(first, first + count);
    SafeArrayUnaccessData(array);
    return ZTNoError;
}

TZentorError TextBytes(BSTR text, bool hexadecimal, std::vector<uint8_t>& bytes) {
    if (text == nullptr) {
        return ZTInvalidDataType;
    }
    // The text ends at its first zero character.
    UINT units = 0;
    while (units < SysStringLen(text) && text[units] != 0) {
        ++units;
    }
    const OwnedBstr head(SysAllocStringLen(text, units));
    if (head.Get() == nullptr) {
        throw std::bad_alloc();
    }
    // A character without a single-byte form becomes what the code page writes for it.
    const std::string ansi = ToAnsiText(head.Get(), CP_ACP);
    if (!hexadecimal) {
        bytes.assign(ansi.begin(), ansi.end());
        return ZTNoError;
    }
    return DecodeHexText(ansi, bytes) ? ZTNoError : ZTInvalidDataType;
}

TZentorError ValueBytes(const VARIANT& raw, bool hexadecimal, std::vector<uint8_t>& bytes,
                        bool followReference) {
    const VARTYPE type = V_VT(&raw);
    const bool byReference = (type & VT_BYREF) != 0;
    const VARTYPE valueType = type & ~VT_BYREF;
    if (byReference && V_BYREF(&raw) == nullptr) {
        return ZTInvalidDataType;
    }
    if (IsByteArray(valueType)) {
        return ArrayBytes(byReference ? *V_ARRAYREF(&raw) : V_ARRAY(&raw), bytes);
    }
    if (valueType == VT_BSTR) {
        return TextBytes(byReference ? *V_BSTRREF(&raw) : V_BSTR(&raw), hexadecimal, bytes);
    }
    // One VARIANT by reference is followed; a reference to a reference is refused.
    if (valueType == VT_VARIANT && byReference && followReference) {
        return ValueBytes(*V_VARIANTREF(&raw), hexadecimal, bytes, false);
    }
    return ZTInvalidDataType;
}

} // namespace

TZentorError RawDataBytes(const VARIANT& raw, bool hexadecimal, std::vector<uint8_t>& bytes) {
    bytes.clear();
    return ValueBytes(raw, hexadecimal, bytes, true);
}
