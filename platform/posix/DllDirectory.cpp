#include "platform/posix/DllDirectory.h"

#include "platform/WinApi.h"

#include "platform/posix/Utf8.h"

#include <cstring>
#include <pthread.h>

extern "C" {

// Constant-initialised, so that no module's start-up code resets the program's copy.
struct NorvaSharedDllDirectory {
    pthread_mutex_t lock;
    char path[4096];
};

__attribute__((visibility("default")))
NorvaSharedDllDirectory norva_platform_shared_dll_directory = {PTHREAD_MUTEX_INITIALIZER, {0}};
}

namespace {

BOOL Store(const std::string& path) {
    NorvaSharedDllDirectory& shared = norva_platform_shared_dll_directory;
    if (path.size() >= sizeof(shared.path)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    pthread_mutex_lock(&shared.lock);
    std::memcpy(shared.path, path.c_str(), path.size() + 1);
    pthread_mutex_unlock(&shared.lock);
    return TRUE;
}

} // namespace

namespace norva {

std::string DllDirectory() {
    NorvaSharedDllDirectory& shared = norva_platform_shared_dll_directory;
    pthread_mutex_lock(&shared.lock);
    std::string path = shared.path;
    pthread_mutex_unlock(&shared.lock);
    return path;
}

} // namespace norva

BOOL SetDllDirectoryW(LPCWSTR lpPathName) {
    return Store(lpPathName != nullptr ? norva::ToUtf8(lpPathName) : std::string());
}

BOOL SetDllDirectoryA(LPCSTR lpPathName) {
    if (lpPathName == nullptr) {
        return Store(std::string());
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, lpPathName, -1, nullptr, 0);
    std::u16string wide(static_cast<size_t>(length), u'\0');
    MultiByteToWideChar(CP_ACP, 0, lpPathName, -1, wide.data(), length);
    return SetDllDirectoryW(wide.c_str());
}
