#include "component/DispatchArguments.h"

DispatchArguments::DispatchArguments() {
    for (VARIANT& value : values) {
        VariantInit(&value);
    }
}

HRESULT DispatchArguments::Coerce(const DISPPARAMS& params, const MemberForm& form, UINT* argErr) {
    if (form.argCount > 0 && params.rgvarg == nullptr) {
        return E_INVALIDARG;
    }
    for (UINT position = 0; position < form.argCount; ++position) {
        const UINT index = params.cArgs - 1 - position;
        if (FAILED(Take(params.rgvarg[index], form.argTypes[position], position))) {
            if (argErr != nullptr) {
                *argErr = index;
            }
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

HRESULT DispatchArguments::Take(VARIANT& source, VARTYPE target, UINT position) {
    if (target == kPassUnchanged) {
        if (source.vt != (VT_BYREF | VT_VARIANT)) {
            values[position] = source;
            return S_OK;
        }
        if (source.pvarVal == nullptr) {
            return DISP_E_TYPEMISMATCH;
        }
        values[position] = *source.pvarVal;
        return S_OK;
    }
    if (source.vt == target) {
        values[position] = source;
        return S_OK;
    }
    VARIANT* copy = converted[position].Put();
    const HRESULT hr = VariantChangeType(copy, &source, 0, target);
    if (FAILED(hr)) {
        return hr;
    }
    values[position] = *copy;
    return S_OK;
}
