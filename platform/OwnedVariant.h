// The one owner of a VARIANT, used by the host, the component and the tests: the value is
// cleared (its BSTR freed, its interface released) when the holder goes.
#pragma once

#include "platform/WinApi.h"

class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value); }
    ~OwnedVariant() { VariantClear(&value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;

    VARIANT* Get() { return &value; }
    const VARIANT* Get() const { return &value; }
    // For an out-parameter: clears what is held and hands out the value.
    VARIANT* Put() {
        VariantClear(&value);
        return &value;
    }
    // Takes ownership of `text` (which may be null) as a VT_BSTR value.
    void SetBstr(BSTR text) {
        VariantClear(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = text;
    }

private:
    VARIANT value;
};
