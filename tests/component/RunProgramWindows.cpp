#include "RunProgram.h"

#include <windows.h>

namespace norva::test {

namespace {

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), length);
    out.resize(out.size() - 1);
    return out;
}

// Every word quoted; the words the tests pass hold no quotes of their own.
std::wstring CommandLine(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring line = L"\"" + Wide(program) + L"\"";
    for (const std::string& argument : arguments) {
        line += L" \"" + Wide(argument) + L"\"";
    }
    return line;
}

} // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& arguments) {
    std::wstring line = CommandLine(program, arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    const BOOL known = GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return known ? static_cast<int>(code) : -1;
}

} // namespace norva::test
