#include "tests/platform/PosixTestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace norva::test {

namespace {

// A temporary folder for the whole run, removed at exit; the first store lives in it
// from before the first test.
class TemporaryRoot {
public:
    TemporaryRoot() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "norva-platform-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
        setenv("XDG_CONFIG_HOME", (path_ + "/initial").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (path_ + "/initial-system").c_str(), 1);
    }
    ~TemporaryRoot() {
        std::error_code ignored;
        if (!path_.empty() && owner_ == getpid()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    pid_t owner_ = getpid();
};

TemporaryRoot root;
int folders = 0;

} // namespace

std::string UseFreshConfigHome() {
    const std::string folder = root.path() + "/config" + std::to_string(++folders);
    std::filesystem::create_directories(folder);
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (folder + "-system").c_str(), 1);
    return folder;
}

} // namespace norva::test
