// Helpers of the component tests: new objects through the class factory, argument lists
// for Invoke, and wide text.
#pragma once

#include <string>
#include <vector>

#include "component/CZentor.h"
#include "component/ComHandles.h"
#include "component/OleString.h"

namespace norva::test {

// A new plain CZentor, asked for its IZentor.
inline ComRef<IZentor> NewZentor() {
    ComRef<IZentor> object;
    CZentor::Create(nullptr, IID_IZentor, object.PutVoid());
    return object;
}

// Invoke's argument list, given first parameter first and stored in reverse as callers do.
class Arguments {
public:
    Arguments() = default;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;
    ~Arguments() {
        for (VARIANT& value : values) {
            VariantClear(&value);
        }
    }

    Arguments& Text(const std::string& text) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(Widen(text).c_str());
        return Add(value);
    }
    Arguments& Number(LONG number) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_I4;
        value.lVal = number;
        return Add(value);
    }
    Arguments& Flag(VARIANT_BOOL flag) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BOOL;
        value.boolVal = flag;
        return Add(value);
    }
    // A VARIANT by reference; target stays the caller's.
    Arguments& Reference(VARIANT* target) {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BYREF | VT_VARIANT;
        value.pvarVal = target;
        return Add(value);
    }
    // The value of a property put, named as such.
    Arguments& NamedPut() {
        named = DISPID_PROPERTYPUT;
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &named;
        return *this;
    }

    DISPPARAMS* Params() {
        params.cArgs = static_cast<UINT>(values.size());
        params.rgvarg = values.empty() ? nullptr : values.data();
        return &params;
    }

private:
    Arguments& Add(const VARIANT& value) {
        values.insert(values.begin(), value);
        return *this;
    }

    std::vector<VARIANT> values;
    DISPID named = 0;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
};

inline std::string Narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i) {
        out += static_cast<char>(text[i]);
    }
    return out;
}

} // namespace norva::test
