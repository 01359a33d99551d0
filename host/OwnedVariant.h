// A VARIANT argument that the host builds and clears after the call.
#pragma once

#include "platform/WinApi.h"

namespace norva::host {

class COwnedVariant {
public:
    COwnedVariant() { VariantInit(&value_); }
    ~COwnedVariant() { VariantClear(&value_); }
    COwnedVariant(const COwnedVariant&) = delete;
    COwnedVariant& operator=(const COwnedVariant&) = delete;

    // Takes ownership of text (which may be null) as a VT_BSTR value.
    void SetBstr(BSTR text) {
        VariantClear(&value_);
        V_VT(&value_) = VT_BSTR;
        V_BSTR(&value_) = text;
    }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

} // namespace norva::host
