#include "testing/common/SystemSeams.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace sim {

CFileLock::CFileLock(const std::string& path) : m_handle(nullptr) {
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw std::runtime_error("cannot open lock file " + path);
    while (flock(fd, LOCK_EX) != 0) {
    }
    m_handle = reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
}

CFileLock::~CFileLock() {
    const int fd = static_cast<int>(reinterpret_cast<intptr_t>(m_handle) - 1);
    flock(fd, LOCK_UN);
    close(fd);
}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string ReadEnvironment(const std::string& name) {
    const char* value = getenv(name.c_str());
    return value ? value : "";
}

void WriteEnvironment(const std::string& name, const std::string& value) {
    if (value.empty())
        unsetenv(name.c_str());
    else
        setenv(name.c_str(), value.c_str(), 1);
}

std::string OwnModuleStem() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnModuleStem), &info) == 0 || !info.dli_fname)
        return "";
    std::string stem = std::filesystem::path(info.dli_fname).filename().string();
    stem = stem.substr(0, stem.find('.'));
    return stem.rfind("lib", 0) == 0 ? stem.substr(3) : stem;
}

std::string MakeTempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

std::string LibraryFileName(const std::string& name) {
    return "lib" + name + ".so";
}

void* OpenLibrary(const std::string& path) {
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* LibrarySymbol(void* library, const char* name) {
    return dlsym(library, name);
}

void CloseLibrary(void* library) {
    dlclose(library);
}

} // namespace sim
