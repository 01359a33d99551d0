// MultiByteToWideChar and WideCharToMultiByte for the ANSI code page and UTF-8, with the
// Windows conventions: -1 for NUL-terminated input (the NUL is converted and counted), an
// output size of 0 to ask for the size, and ERROR_INSUFFICIENT_BUFFER when it is too small.
#include "platform/WinApi.h"

#include "platform/posix/Cp1255.h"
#include "platform/posix/Utf8.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

enum class Encoding { Ansi, Utf8, Unknown };

Encoding EncodingOf(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP || codePage == norva::kAnsiCodePage) {
        return Encoding::Ansi;
    }
    return codePage == CP_UTF8 ? Encoding::Utf8 : Encoding::Unknown;
}

int Fail(DWORD error) {
    SetLastError(error);
    return 0;
}

// Hands the converted text to the caller's buffer, or its size when the buffer size is 0.
template <typename Char> int Deliver(const std::basic_string<Char>& text, Char* out, int size) {
    if (text.size() > static_cast<size_t>(INT32_MAX)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    const int needed = static_cast<int>(text.size());
    if (size == 0) {
        return needed;
    }
    std::copy_n(text.data(), std::min(needed, size), out);
    if (needed > size) {
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    return needed;
}

template <typename Char> size_t InputLength(const Char* text, int count) {
    if (count >= 0) {
        return static_cast<size_t>(count);
    }
    return std::char_traits<Char>::length(text) + 1;
}

std::u16string AnsiToWide(const char* text, size_t length) {
    std::u16string out(length, u'\0');
    for (size_t i = 0; i < length; ++i) {
        out[i] = norva::Cp1255ToUnit(static_cast<uint8_t>(text[i]));
    }
    return out;
}

std::string WideToAnsi(const char16_t* text, size_t length, char defaultChar, bool& usedDefault) {
    std::string out;
    out.reserve(length);
    usedDefault = false;
    for (size_t i = 0; i < length; ++i) {
        uint8_t byte = 0;
        if (norva::Cp1255FromUnit(text[i], byte)) {
            out += static_cast<char>(byte);
            continue;
        }
        // A surrogate pair is one character and gets one default character.
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < length &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        i += pair ? 1 : 0;
        out += defaultChar;
        usedDefault = true;
    }
    return out;
}

constexpr DWORD kAnsiToWideFlags =
    MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
constexpr DWORD kWideToAnsiFlags =
    WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_NO_BEST_FIT_CHARS;

bool FlagsAllowed(Encoding encoding, DWORD flags, DWORD ansiFlags, DWORD utf8Flags) {
    return (flags & ~(encoding == Encoding::Utf8 ? utf8Flags : ansiFlags)) == 0;
}

} // namespace

UINT GetACP() {
    return norva::kAnsiCodePage;
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar) {
    const Encoding encoding = EncodingOf(CodePage);
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (lpWideCharStr == nullptr && cchWideChar != 0) || encoding == Encoding::Unknown) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!FlagsAllowed(encoding, dwFlags, kAnsiToWideFlags, MB_ERR_INVALID_CHARS)) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const size_t length = InputLength(lpMultiByteStr, cbMultiByte);
    std::u16string wide;
    if (encoding == Encoding::Ansi) {
        wide = AnsiToWide(lpMultiByteStr, length);
    } else if (!norva::Utf16FromUtf8(lpMultiByteStr, length, wide,
                                     (dwFlags & MB_ERR_INVALID_CHARS) != 0)) {
        return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    return Deliver(wide, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                        LPBOOL lpUsedDefaultChar) {
    const Encoding encoding = EncodingOf(CodePage);
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (lpMultiByteStr == nullptr && cbMultiByte != 0) || encoding == Encoding::Unknown) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (encoding == Encoding::Utf8 && (lpDefaultChar != nullptr || lpUsedDefaultChar != nullptr)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    if (!FlagsAllowed(encoding, dwFlags, kWideToAnsiFlags, WC_ERR_INVALID_CHARS)) {
        return Fail(ERROR_INVALID_FLAGS);
    }
    const size_t length = InputLength(lpWideCharStr, cchWideChar);
    std::string narrow;
    if (encoding == Encoding::Utf8) {
        if (!norva::Utf8FromUtf16(lpWideCharStr, length, narrow,
                                  (dwFlags & WC_ERR_INVALID_CHARS) != 0)) {
            return Fail(ERROR_NO_UNICODE_TRANSLATION);
        }
        return Deliver(narrow, lpMultiByteStr, cbMultiByte);
    }
    bool usedDefault = false;
    const char defaultChar = lpDefaultChar != nullptr ? lpDefaultChar[0] : '?';
    narrow = WideToAnsi(lpWideCharStr, length, defaultChar, usedDefault);
    if (lpUsedDefaultChar != nullptr) {
        *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    }
    return Deliver(narrow, lpMultiByteStr, cbMultiByte);
}
