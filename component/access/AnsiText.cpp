#include "component/access/AnsiText.h"

UINT Utf16Length(BSTR text) {
    return text != nullptr ? SysStringLen(text) : 0;
}

std::string ToAnsiText(BSTR text, UINT codePage) {
    const int units = static_cast<int>(Utf16Length(text));
    if (units == 0) {
        return std::string();
    }
    const int size = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::string();
    }
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, text, units, ansi.data(), size, nullptr, nullptr);
    return ansi;
}
