// Named mutexes between processes over lock files (see WinBase.h).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "platform/WinApi.h"

namespace {

constexpr uint32_t kMutexMark = 0x4E4D5458; // tells our handles from stray pointers

struct CNamedMutex {
    uint32_t mark = kMutexMark;
    int fd = -1;
    unsigned held = 0; // WaitForSingleObject calls not yet released
};

CNamedMutex* MutexOf(HANDLE handle) {
    auto* mutex = static_cast<CNamedMutex*>(handle);
    return mutex && mutex->mark == kMutexMark ? mutex : nullptr;
}

// The folder of the lock files: made for this user alone, and refused when someone else
// owns it or it is not a plain folder (a link planted in /tmp, say).
bool LockFolder(std::string& folder) {
    folder = "/tmp/norva-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info = {};
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
           (info.st_mode & 0077) == 0;
}

// The file name of a mutex name: the namespace prefix dropped, characters other than
// letters, digits, "-", "_" and "." written as "%XX".
std::string FileNameOf(std::string_view name) {
    for (const std::string_view prefix : {"Local\\", "Global\\"}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            break;
        }
    }
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string file;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= 'a' && byte <= 'z') || c == '-' || c == '_' || c == '.') {
            file += c;
        } else {
            file += '%';
            file += kDigits[byte >> 4];
            file += kDigits[byte & 0x0F];
        }
    }
    return file + ".lock";
}

} // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName) {
    if (lpName == nullptr || *lpName == '\0' || bInitialOwner) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string folder;
    if (!LockFolder(folder)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const std::string path = folder + "/" + FileNameOf(lpName);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    auto* mutex = new CNamedMutex;
    mutex->fd = fd;
    SetLastError(ERROR_SUCCESS);
    return mutex;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    CNamedMutex* mutex = MutexOf(hHandle);
    if (mutex == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (mutex->held > 0) { // already ours: the flock is held once for all of them
        ++mutex->held;
        return WAIT_OBJECT_0;
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds);
    for (;;) {
        const int how = dwMilliseconds == INFINITE ? LOCK_EX : LOCK_EX | LOCK_NB;
        if (flock(mutex->fd, how) == 0) {
            ++mutex->held;
            return WAIT_OBJECT_0;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EWOULDBLOCK) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return WAIT_TIMEOUT;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

BOOL ReleaseMutex(HANDLE hMutex) {
    CNamedMutex* mutex = MutexOf(hMutex);
    if (mutex == nullptr || mutex->held == 0) {
        SetLastError(mutex ? ERROR_NOT_OWNER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--mutex->held == 0) {
        flock(mutex->fd, LOCK_UN);
    }
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
    CNamedMutex* mutex = MutexOf(hObject);
    if (mutex == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    close(mutex->fd); // also gives up a lock still held
    mutex->mark = 0;
    delete mutex;
    return TRUE;
}
