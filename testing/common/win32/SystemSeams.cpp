#include "testing/common/SystemSeams.h"

#include <windows.h>

#include <filesystem>
#include <random>
#include <stdexcept>

namespace sim {

CFileLock::CFileLock(const std::string& path) : m_handle(nullptr) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open lock file " + path);
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        throw std::runtime_error("cannot lock " + path);
    }
    m_handle = file;
}

CFileLock::~CFileLock() {
    OVERLAPPED whole{};
    UnlockFileEx(m_handle, 0, MAXDWORD, MAXDWORD, &whole);
    CloseHandle(m_handle);
}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string ReadEnvironment(const std::string& name) {
    char buffer[4096];
    const DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? std::string(buffer, length) : "";
}

void WriteEnvironment(const std::string& name, const std::string& value) {
    SetEnvironmentVariableA(name.c_str(), value.empty() ? nullptr : value.c_str());
    _putenv_s(name.c_str(), value.c_str());
}

std::string OwnModuleStem() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnModuleStem), &module))
        return "";
    char name[MAX_PATH];
    const DWORD length = GetModuleFileNameA(module, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return "";
    return std::filesystem::path(std::string(name, length)).stem().string();
}

std::string MakeTempFolder(const std::string& prefix) {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto folder = base / (prefix + std::to_string(random()));
        if (std::filesystem::create_directory(folder))
            return folder.string();
    }
    throw std::runtime_error("cannot make a temporary folder");
}

std::string LibraryFileName(const std::string& name) {
    return name + ".dll";
}

void* OpenLibrary(const std::string& path) {
    return LoadLibraryA(path.c_str());
}

void* LibrarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(void* library) {
    FreeLibrary(static_cast<HMODULE>(library));
}

} // namespace sim
