// Dynamic libraries over dlopen. Windows names a library "X.dll"; here a bare name of that
// form is loaded as "libX.so" through the normal search order (so a library beside the
// program is found through its RUNPATH $ORIGIN); a name with a path is used as it is.
#include "platform/WinApi.h"

#include "platform/posix/DllDirectory.h"
#include "platform/posix/Utf8.h"

#include <algorithm>
#include <dlfcn.h>
#include <link.h>
#include <string>
#include <unistd.h>

namespace {

bool EndsWithDll(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string suffix = name.substr(name.size() - 4);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return suffix == ".dll";
}

std::string PosixLibraryName(const std::string& name) {
    if (name.find('/') != std::string::npos) {
        return name;
    }
    if (EndsWithDll(name)) {
        return "lib" + name.substr(0, name.size() - 4) + ".so";
    }
    // Windows appends ".dll" to a name without an extension.
    if (name.find('.') == std::string::npos) {
        return "lib" + name + ".so";
    }
    return name;
}

std::string ExecutablePath();

// A bare name goes through dlopen's own search (RUNPATH $ORIGIN, LD_LIBRARY_PATH, the
// system), then the program's folder (as Windows searches it, and for a dlopen wrapped by a
// sanitizer, which hides the caller's RUNPATH), then the SetDllDirectory folder.
void* OpenLibrary(const std::string& fileName) {
    void* handle = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr || fileName.find('/') != std::string::npos) {
        return handle;
    }
    const std::string program = ExecutablePath();
    const std::string folders[] = {program.substr(0, program.rfind('/')), norva::DllDirectory()};
    for (const std::string& folder : folders) {
        if (!folder.empty() && handle == nullptr) {
            handle = dlopen((folder + "/" + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
        }
    }
    return handle;
}

HMODULE Load(const std::string& name) {
    void* handle = name.empty() ? nullptr : OpenLibrary(PosixLibraryName(name));
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
    }
    return static_cast<HMODULE>(handle);
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0) {
        return std::string();
    }
    path.resize(static_cast<size_t>(length));
    return path;
}

// The file of a loaded module; the program itself for a null handle.
bool ModulePath(HMODULE module, std::string& path) {
    if (module == nullptr) {
        path = ExecutablePath();
        return !path.empty();
    }
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        return false;
    }
    path = map->l_name != nullptr && map->l_name[0] != 0 ? map->l_name : ExecutablePath();
    return !path.empty();
}

// Copies text with its terminating zero into a buffer of size characters, truncating as
// Windows does: a full buffer still ends in zero and reports ERROR_INSUFFICIENT_BUFFER.
template <typename Char>
DWORD CopyTruncated(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (text.size() >= size) {
        std::copy_n(text.data(), size - 1, buffer);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy_n(text.data(), text.size(), buffer);
    buffer[text.size()] = 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
}

std::string AnsiToUtf8(LPCSTR text) {
    std::u16string wide;
    for (const char* p = text; *p != 0; ++p) {
        char16_t unit = 0;
        MultiByteToWideChar(CP_ACP, 0, p, 1, &unit, 1);
        wide += unit;
    }
    return norva::ToUtf8(wide);
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(AnsiToUtf8(lpLibFileName));
}

HMODULE LoadLibraryW(LPCWSTR lpLibFileName) {
    if (lpLibFileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return Load(norva::ToUtf8(lpLibFileName));
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    if (hModule == nullptr || lpProcName == nullptr) {
        SetLastError(hModule == nullptr ? ERROR_INVALID_HANDLE : ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* symbol = dlsym(hModule, lpProcName);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE hLibModule) {
    if (hLibModule == nullptr || dlclose(hLibModule) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!ModulePath(hModule, path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const std::u16string wide = norva::ToUtf16(path);
    std::string ansi(wide.size() * 2 + 1, '\0');
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(),
                                           static_cast<int>(ansi.size()), nullptr, nullptr);
    ansi.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return CopyTruncated(ansi, lpFilename, nSize);
}

DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!ModulePath(hModule, path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyTruncated(norva::ToUtf16(path), lpFilename, nSize);
}

BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule) {
    if (phModule == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *phModule = nullptr;
    void* handle = nullptr;
    if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0) {
        // The name parameter carries an address inside the module.
        Dl_info info{};
        if (dladdr(reinterpret_cast<const void*>(lpModuleName), &info) == 0) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
        if (handle == nullptr) {
            handle = dlopen(nullptr, RTLD_NOW);
        }
    } else if (lpModuleName == nullptr) {
        handle = dlopen(nullptr, RTLD_NOW);
    } else {
        handle =
            dlopen(PosixLibraryName(norva::ToUtf8(lpModuleName)).c_str(), RTLD_NOW | RTLD_NOLOAD);
    }
    if (handle == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    // The module stays loaded by whoever loaded it; our extra reference is dropped.
    if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) != 0) {
        dlclose(handle);
    }
    *phModule = static_cast<HMODULE>(handle);
    return TRUE;
}
