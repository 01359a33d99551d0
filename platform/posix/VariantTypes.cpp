#include "platform/posix/VariantTypes.h"

namespace {

struct TypeInfo {
    VARTYPE vt;
    size_t size;
    bool plainAllowed; // may appear without VT_BYREF or VT_ARRAY
};

constexpr TypeInfo kTypes[] = {
    {VT_EMPTY, 0, true},
    {VT_NULL, 0, true},
    {VT_I2, sizeof(SHORT), true},
    {VT_I4, sizeof(LONG), true},
    {VT_R4, sizeof(FLOAT), true},
    {VT_R8, sizeof(DOUBLE), true},
    {VT_CY, sizeof(CY), true},
    {VT_DATE, sizeof(DATE), true},
    {VT_BSTR, sizeof(BSTR), true},
    {VT_DISPATCH, sizeof(IDispatch*), true},
    {VT_ERROR, sizeof(SCODE), true},
    {VT_BOOL, sizeof(VARIANT_BOOL), true},
    {VT_VARIANT, sizeof(VARIANT), false},
    {VT_UNKNOWN, sizeof(IUnknown*), true},
    {VT_I1, sizeof(CHAR), true},
    {VT_UI1, sizeof(BYTE), true},
    {VT_UI2, sizeof(USHORT), true},
    {VT_UI4, sizeof(ULONG), true},
    {VT_I8, sizeof(LONGLONG), true},
    {VT_UI8, sizeof(ULONGLONG), true},
    {VT_INT, sizeof(INT), true},
    {VT_UINT, sizeof(UINT), true},
};

const TypeInfo* Find(VARTYPE base) {
    for (const TypeInfo& info : kTypes) {
        if (info.vt == base) {
            return &info;
        }
    }
    return nullptr;
}

} // namespace

namespace norva {

bool IsValidVariantType(VARTYPE vt) {
    if ((vt & ~(VT_TYPEMASK | VT_BYREF | VT_ARRAY)) != 0) {
        return false;
    }
    const VARTYPE base = vt & VT_TYPEMASK;
    const TypeInfo* info = Find(base);
    if (info == nullptr) {
        return false;
    }
    const bool flagged = (vt & (VT_BYREF | VT_ARRAY)) != 0;
    if (base == VT_EMPTY || base == VT_NULL) {
        return !flagged;
    }
    return flagged || info->plainAllowed;
}

size_t VariantValueSize(VARTYPE vt) {
    const TypeInfo* info = Find(vt);
    return info != nullptr ? info->size : 0;
}

} // namespace norva
