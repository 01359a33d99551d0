// The debugging output goes to standard error: standard output carries the host's protocol.
#include "platform/WinApi.h"

#include "platform/posix/Utf8.h"

#include <cstring>
#include <string>
#include <unistd.h>

namespace {

void WriteAll(const char* text, size_t length) {
    while (length > 0) {
        const ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0) {
            return;
        }
        text += written;
        length -= static_cast<size_t>(written);
    }
}

} // namespace

void OutputDebugStringA(LPCSTR lpOutputString) {
    if (lpOutputString == nullptr) {
        return;
    }
    // The text is ANSI; the terminal expects UTF-8.
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, lpOutputString, -1, nullptr, 0);
    std::u16string wide(static_cast<size_t>(wideLength), u'\0');
    MultiByteToWideChar(CP_ACP, 0, lpOutputString, -1, wide.data(), wideLength);
    wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
    const std::string text = norva::ToUtf8(wide);
    WriteAll(text.data(), text.size());
}

void OutputDebugStringW(LPCWSTR lpOutputString) {
    if (lpOutputString == nullptr) {
        return;
    }
    const std::string text = norva::ToUtf8(lpOutputString);
    WriteAll(text.data(), text.size());
}
