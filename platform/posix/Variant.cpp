// VARIANT life cycle: initialise, clear, deep copy and by-reference copy.
#include "platform/WinApi.h"

#include "platform/posix/VariantTypes.h"

void VariantInit(VARIANTARG* pvarg) {
    if (pvarg == nullptr) {
        return;
    }
    pvarg->vt = VT_EMPTY;
    pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
    pvarg->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
    if (pvarg == nullptr) {
        return E_INVALIDARG;
    }
    if (!norva::IsValidVariantType(pvarg->vt)) {
        return DISP_E_BADVARTYPE;
    }
    HRESULT hr = S_OK;
    if ((pvarg->vt & VT_BYREF) == 0) {
        if ((pvarg->vt & VT_ARRAY) != 0) {
            hr = SafeArrayDestroy(pvarg->parray);
        } else if (pvarg->vt == VT_BSTR) {
            SysFreeString(pvarg->bstrVal);
        } else if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) &&
                   pvarg->punkVal != nullptr) {
            pvarg->punkVal->Release();
        }
    }
    if (FAILED(hr)) {
        return hr;
    }
    VariantInit(pvarg);
    return S_OK;
}

namespace {

// Copies the value of src into dest, which holds nothing that needs freeing.
HRESULT CopyValue(VARIANT* dest, const VARIANT* src) {
    *dest = *src;
    if ((src->vt & VT_BYREF) != 0) {
        return S_OK;
    }
    if ((src->vt & VT_ARRAY) != 0) {
        return SafeArrayCopy(src->parray, &dest->parray);
    }
    if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
        dest->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal),
                                              SysStringByteLen(src->bstrVal));
        return dest->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal != nullptr) {
        src->punkVal->AddRef();
    }
    return S_OK;
}

// Builds in `out` the VARIANT that a by-reference src points at, as a deep copy.
HRESULT Dereference(VARIANT* out, const VARIANT* src) {
    const VARTYPE target = src->vt & ~VT_BYREF;
    if (src->byref == nullptr) {
        return E_INVALIDARG;
    }
    if (target == VT_VARIANT) {
        const VARIANT* inner = src->pvarVal;
        if ((inner->vt & VT_BYREF) != 0 && inner->vt != (VT_BYREF | VT_VARIANT)) {
            return VariantCopyInd(out, inner);
        }
        if (inner->vt == (VT_BYREF | VT_VARIANT)) {
            return E_INVALIDARG;
        }
        return CopyValue(out, inner);
    }
    const size_t size = norva::VariantValueSize(target);
    if (size == 0) {
        return DISP_E_BADVARTYPE;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = target;
    std::memcpy(&value.llVal, src->byref, size);
    return CopyValue(out, &value);
}

} // namespace

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
    if (pvargDest == nullptr || pvargSrc == nullptr) {
        return E_INVALIDARG;
    }
    if (pvargDest == pvargSrc) {
        return S_OK;
    }
    if (!norva::IsValidVariantType(pvargSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    const HRESULT cleared = VariantClear(pvargDest);
    if (FAILED(cleared)) {
        return cleared;
    }
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = CopyValue(&copy, pvargSrc);
    if (FAILED(hr)) {
        return hr;
    }
    *pvargDest = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
    if (pvarDest == nullptr || pvargSrc == nullptr) {
        return E_INVALIDARG;
    }
    if ((pvargSrc->vt & VT_BYREF) == 0) {
        return VariantCopy(pvarDest, pvargSrc);
    }
    if (!norva::IsValidVariantType(pvargSrc->vt)) {
        return DISP_E_BADVARTYPE;
    }
    // Dereference first: dest and src may be the same VARIANT.
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = Dereference(&value, pvargSrc);
    if (FAILED(hr)) {
        return hr;
    }
    if (pvarDest != pvargSrc) {
        const HRESULT cleared = VariantClear(pvarDest);
        if (FAILED(cleared)) {
            VariantClear(&value);
            return cleared;
        }
    }
    *pvarDest = value;
    return S_OK;
}
