// Conversion of interface strings into the single-byte text that drivers receive.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinApi.h"

// The BSTR in the given code page, without a terminating zero (std::string keeps one
// after its data). A null BSTR is the empty string.
std::string ToAnsiText(BSTR text, UINT codePage);

// Number of UTF-16 code units of a BSTR; 0 for null.
UINT Utf16Length(BSTR text);

// A new BSTR holding single-byte text of the given code page; never null (an allocation
// failure throws std::bad_alloc).
BSTR ToBstr(std::string_view ansi, UINT codePage);

// A PIN as the drivers receive it: its ANSI bytes, padded with zero bytes to at least its
// length in UTF-16 units, which is the length the drivers are told. So a driver never
// reads past the bytes when a character did not convert to exactly one byte.
std::string PinText(BSTR pin);
