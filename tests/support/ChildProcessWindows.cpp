#include "tests/support/ChildProcess.h"

#include "platform/WinApi.h"

#include <gtest/gtest.h>

#include <map>

namespace norva::test {

namespace {

// A temporary file whose handle the child inherits; deleted when the holder goes.
class CTempFile {
public:
    CTempFile() {
        wchar_t folder[MAX_PATH];
        wchar_t name[MAX_PATH];
        if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"nio", 0, name) == 0) {
            return;
        }
        name_ = name;
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    }
    ~CTempFile() {
        if (ok()) {
            CloseHandle(handle_);
        }
        if (!name_.empty()) {
            DeleteFileW(name_.c_str());
        }
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return handle_; }

    uint64_t Position() const {
        LARGE_INTEGER zero{};
        LARGE_INTEGER position{};
        SetFilePointerEx(handle_, zero, &position, FILE_CURRENT);
        return static_cast<uint64_t>(position.QuadPart);
    }
    void Rewind() const {
        LARGE_INTEGER zero{};
        SetFilePointerEx(handle_, zero, nullptr, FILE_BEGIN);
    }

private:
    std::wstring name_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

bool WriteAll(const CTempFile& file, const std::string& bytes) {
    DWORD wrote = 0;
    if (!bytes.empty() && !WriteFile(file.handle(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                     &wrote, nullptr)) {
        return false;
    }
    file.Rewind();
    return wrote == bytes.size();
}

std::string ReadAll(const CTempFile& file) {
    file.Rewind();
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.handle(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

std::wstring Wide(const std::string& text) {
    return std::filesystem::path(text).wstring();
}

// The caller's environment with extra merged in, as a block of zero-terminated entries.
std::wstring EnvironmentBlock(const Environment& extra) {
    std::map<std::wstring, std::wstring> merged;
    wchar_t* strings = GetEnvironmentStringsW();
    for (const wchar_t* entry = strings; *entry != 0; entry += wcslen(entry) + 1) {
        const std::wstring text = entry;
        // Entries such as "=C:=C:\" belong to the drive table; keep them whole.
        const size_t equals = text.find(L'=', 1);
        merged[text.substr(0, equals)] =
            equals == std::wstring::npos ? L"" : text.substr(equals + 1);
    }
    FreeEnvironmentStringsW(strings);
    for (const auto& [name, value] : extra) {
        merged[Wide(name)] = Wide(value);
    }
    std::wstring block;
    for (const auto& [name, value] : merged) {
        block += name + L"=" + value;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

} // namespace

std::string ProgramFile(const std::string& name) {
    return name + ".exe";
}

std::string LibraryFile(const std::string& name) {
    return name + ".dll";
}

ChildRun RunChild(const std::filesystem::path& program, const std::string& input,
                  const Environment& extra) {
    ChildRun run;
    CTempFile in;
    CTempFile out;
    if (!in.ok() || !out.ok() || !WriteAll(in, input)) {
        ADD_FAILURE() << "temporary files for " << program;
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.handle();
    startup.hStdOutput = out.handle();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    std::wstring environment = EnvironmentBlock(extra);
    PROCESS_INFORMATION process{};
    // The current folder is on the library search path: keep it to the program's own.
    const std::wstring folder = program.parent_path().wstring();
    if (!CreateProcessW(program.wstring().c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT, environment.data(), folder.c_str(), &startup,
                        &process)) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.exitCode = static_cast<int>(exitCode);
    run.inputPosition = in.Position();
    run.output = ReadAll(out);
    return run;
}

} // namespace norva::test
