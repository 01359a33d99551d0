// Text in the 16-bit OLE character type of the platform, and widening of the ASCII
// constants the component keeps (names, program identifiers, registry entries).
#pragma once

#include <string>
#include <string_view>

#include "platform/WinApi.h"

using OleString = std::basic_string<OLECHAR>;

inline OleString Widen(std::string_view ascii) {
    return OleString(ascii.begin(), ascii.end());
}

// The braced upper-case text of a GUID.
inline OleString GuidText(REFGUID guid) {
    OLECHAR text[40] = {};
    StringFromGUID2(guid, text, 40);
    return OleString(text);
}
