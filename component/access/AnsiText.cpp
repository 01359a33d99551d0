#include "component/access/AnsiText.h"

#include <new>
#include <vector>

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

BSTR ToBstr(std::string_view ansi, UINT codePage) {
    const int length = static_cast<int>(ansi.size());
    std::vector<OLECHAR> wide(ansi.size() + 1);
    const int units =
        length == 0 ? 0
                    : MultiByteToWideChar(codePage, 0, ansi.data(), length, wide.data(), length);
    BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(units > 0 ? units : 0));
    if (text == nullptr) {
        throw std::bad_alloc();
    }
    return text;
}

std::string PinText(BSTR pin) {
    std::string bytes = ToAnsiText(pin, CP_ACP);
    const size_t length = Utf16Length(pin);
    if (bytes.size() < length) {
        bytes.resize(length, '\0');
    }
    return bytes;
}
