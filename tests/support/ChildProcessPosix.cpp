#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace norva::test {

namespace {

// An unlinked temporary file: it disappears with its last descriptor.
class CTempFile {
public:
    CTempFile() {
        std::string name = (std::filesystem::temp_directory_path() / "norva-io-XXXXXX").string();
        fd_ = mkstemp(name.data());
        if (fd_ >= 0) {
            unlink(name.c_str());
        }
    }
    ~CTempFile() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<size_t>(wrote);
    }
    return lseek(fd, 0, SEEK_SET) == 0;
}

std::string ReadAll(int fd) {
    std::string bytes;
    lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

std::vector<std::string> MergedEnvironment(const Environment& extra) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        merged[text.substr(0, equals)] = equals == std::string::npos ? "" : text.substr(equals + 1);
    }
    for (const auto& [name, value] : extra) {
        merged[name] = value;
    }
    std::vector<std::string> lines;
    for (const auto& [name, value] : merged) {
        lines.push_back(name + "=" + value);
    }
    return lines;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// The words of NORVA_HOST_WRAPPER (a checker such as valgrind and its options) when the
// program is the host, so that the host's end-to-end tests can run it under the checker.
std::vector<std::string> HostWrapper(const std::filesystem::path& program) {
    const char* wrapper = std::getenv("NORVA_HOST_WRAPPER");
    std::vector<std::string> words;
    if (wrapper != nullptr && program.filename() == "NorvaHost") {
        std::istringstream text(wrapper);
        for (std::string word; text >> word;) {
            words.push_back(word);
        }
    }
    return words;
}

} // namespace

std::string ProgramFile(const std::string& name) {
    return name;
}

std::string LibraryFile(const std::string& name) {
    return "lib" + name + ".so";
}

ChildRun RunChild(const std::filesystem::path& program, const std::string& input,
                  const Environment& extra) {
    ChildRun run;
    CTempFile in;
    CTempFile out;
    if (in.fd() < 0 || out.fd() < 0 || !WriteAll(in.fd(), input)) {
        ADD_FAILURE() << "temporary files for " << program;
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.fd(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out.fd(), STDOUT_FILENO);
    const std::string folder = program.parent_path().string();
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> argumentTexts = HostWrapper(program);
    argumentTexts.push_back(program.string());
    std::vector<std::string> environmentTexts = MergedEnvironment(extra);
    std::vector<char*> arguments = Pointers(argumentTexts);
    std::vector<char*> environment = Pointers(environmentTexts);
    pid_t child = 0;
    const int started =
        posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        ADD_FAILURE() << "cannot start " << program;
        return run;
    }
    int status = 0;
    waitpid(child, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.inputPosition = static_cast<uint64_t>(lseek(in.fd(), 0, SEEK_CUR));
    run.output = ReadAll(out.fd());
    return run;
}

} // namespace norva::test
