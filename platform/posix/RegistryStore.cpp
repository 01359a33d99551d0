#include "platform/posix/RegistryStore.h"

#include "platform/posix/RegistryFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace norva {

namespace {

std::string ConfigHome() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) {
        const passwd* entry = getpwuid(getuid());
        home = entry != nullptr ? entry->pw_dir : nullptr;
    }
    return std::string(home != nullptr ? home : "") + "/.config";
}

// The first absolute folder of $XDG_CONFIG_DIRS, else /etc/xdg.
std::string SystemConfigFolder() {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    const std::string list = dirs != nullptr ? dirs : "";
    for (size_t start = 0; start <= list.size();) {
        const size_t end = std::min(list.find(':', start), list.size());
        if (end > start && list[start] == '/') {
            return list.substr(start, end - start);
        }
        start = end + 1;
    }
    return "/etc/xdg";
}

// One store file: its folder and the modes it is created with. The per-user store is the
// user's alone; the system-wide store is readable by everyone.
struct StoreFile {
    std::string folder;
    mode_t folderMode;
    mode_t fileMode;
};

StoreFile StoreOf(RegistryRoot root) {
    if (root == RegistryRoot::LocalMachine) {
        return {SystemConfigFolder() + "/norva", 0755, 0644};
    }
    return {ConfigHome() + "/norva", 0700, 0600};
}

bool MakeFolders(const std::string& path, mode_t mode) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            return true;
        }
    }
}

// Holds a flock on the store's lock file for its lifetime.
class StoreLock {
public:
    // flock needs no write access: a reader of the system-wide store opens its lock file
    // read-only, and reads without the lock when it cannot (the file is replaced in one
    // step, so an unlocked reader still sees a whole store).
    StoreLock(const StoreFile& store, int operation) {
        fd_ = open((store.folder + "/registry.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC,
                   store.fileMode);
        if (fd_ >= 0) {
            while (flock(fd_, operation) != 0 && errno == EINTR) {
            }
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadFile(const std::string& path, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    char buffer[16384];
    ssize_t count = 0;
    while ((count = read(fd, buffer, sizeof(buffer))) != 0) {
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            close(fd);
            return ReadResult::Failed;
        }
        text.append(buffer, static_cast<size_t>(count));
    }
    close(fd);
    return ReadResult::Read;
}

bool WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

bool SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

// Replaces the store with text. The temporary file has a fixed name: only the holder of the
// exclusive lock writes it, and a stale one left by a crash is simply overwritten.
bool ReplaceStore(const StoreFile& store, const std::string& text) {
    const std::string& folder = store.folder;
    const std::string temporary = folder + "/registry.tmp";
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, store.fileMode);
    if (fd < 0) {
        return false;
    }
    // The creation mode is narrowed by the umask; the store's readers need the full mode.
    const bool written = fchmod(fd, store.fileMode) == 0 && WriteAll(fd, text) && fsync(fd) == 0;
    if (close(fd) != 0 || !written) {
        unlink(temporary.c_str());
        return false;
    }
    if (rename(temporary.c_str(), (folder + "/registry").c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(folder);
}

// Loads the store into tree; ERROR_SUCCESS for a missing store (an empty tree).
LONG Load(const StoreFile& store, RegistryTree& tree) {
    std::string text;
    switch (ReadFile(store.folder + "/registry", text)) {
    case ReadResult::Missing:
        return ERROR_SUCCESS;
    case ReadResult::Failed:
        return ERROR_REGISTRY_IO_FAILED;
    case ReadResult::Read:
        break;
    }
    return ParseRegistry(text, tree) ? ERROR_SUCCESS : ERROR_REGISTRY_CORRUPT;
}

} // namespace

std::string RegistryStorePath(RegistryRoot root) {
    return StoreOf(root).folder + "/registry";
}

void ReadRegistry(RegistryRoot root, RegistryTree& tree) {
    const StoreFile store = StoreOf(root);
    const StoreLock lock(store, LOCK_SH);
    if (Load(store, tree) != ERROR_SUCCESS) {
        tree = RegistryTree();
    }
}

LONG ModifyRegistry(RegistryRoot root,
                    const std::function<LONG(RegistryTree&, bool& changed)>& change) {
    const StoreFile store = StoreOf(root);
    // The system-wide store is read by everyone but changed only by its owner.
    if (!MakeFolders(store.folder, store.folderMode) || access(store.folder.c_str(), W_OK) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    const StoreLock lock(store, LOCK_EX);
    if (!lock.Held()) {
        return ERROR_ACCESS_DENIED;
    }
    RegistryTree tree;
    const LONG loaded = Load(store, tree);
    if (loaded != ERROR_SUCCESS) {
        return loaded;
    }
    bool changed = false;
    const LONG result = change(tree, changed);
    if (result != ERROR_SUCCESS || !changed) {
        return result;
    }
    return ReplaceStore(store, FormatRegistry(tree)) ? ERROR_SUCCESS : ERROR_REGISTRY_IO_FAILED;
}

} // namespace norva
