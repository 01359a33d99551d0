// Facts about VARIANT types shared by the VARIANT and SAFEARRAY code.
#pragma once

#include "platform/WinApi.h"

#include <cstring>

namespace norva {

// Whether vt (with its VT_BYREF and VT_ARRAY flags) names a type a VARIANT may hold.
bool IsValidVariantType(VARTYPE vt);
// Bytes of one value of the base type vt, 0 for a type that has no fixed-size value.
size_t VariantValueSize(VARTYPE vt);

} // namespace norva
