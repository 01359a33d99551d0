// The bytes a caller hands to SignData and DecryptAndSignData in a VARIANT.
#pragma once

#include <cstdint>
#include <vector>

#include "component/base/ZentorErrors.h"
#include "platform/WinApi.h"

// Accepted forms:
// - a one-dimensional array of VT_UI1 or VT_I1 elements with at least one element: its
//   elements in order, counted from its lower bound to its upper bound;
// - a text (VT_BSTR, not null), up to its first zero character, in the ANSI code page:
//   its bytes as they stand, or, with `hexadecimal`, the bytes its pairs of hexadecimal
//   digits name (an odd last digit is ignored);
// - any of these by reference (VT_BYREF), or a VARIANT by reference holding one.
// Anything else, an empty or null array, a null text, and a hexadecimal text holding any
// other character give ZTInvalidDataType. A text of no characters gives no bytes.
TZentorError RawDataBytes(const VARIANT& raw, bool hexadecimal, std::vector<uint8_t>& bytes);
