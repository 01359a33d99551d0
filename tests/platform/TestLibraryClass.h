// The class that platform_testlib serves through its DllGetClassObject.
#pragma once

#include "platform/WinApi.h"

namespace norva::test {

inline constexpr CLSID kTestClass = {
    0x8E1B7C2A, 0x4D1F, 0x4B6E, {0x9C, 0x3A, 0x5F, 0x2D, 0x7E, 0x8A, 0x9B, 0x01}};
// Answered by objects of the test class, to tell them from anything else.
inline constexpr IID kTestObjectMarker = {
    0x8E1B7C2B, 0x4D1F, 0x4B6E, {0x9C, 0x3A, 0x5F, 0x2D, 0x7E, 0x8A, 0x9B, 0x01}};

} // namespace norva::test
