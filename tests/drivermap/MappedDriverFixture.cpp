#include "tests/drivermap/MappedDriverFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Restore(const char* name, const std::string& value) {
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
}

} // namespace

MappedDriverTest::MappedDriverTest()
    : savedHome(Variable("XDG_CONFIG_HOME")), savedDirs(Variable("XDG_CONFIG_DIRS")) {
    setenv("XDG_CONFIG_HOME", (temp.path() / "home-config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (temp.path() / "etc-xdg").c_str(), 1);
    vendorModule = temp.path() / "opt" / "acme" / "lib" / "libacmep11.so";
    InstallLibrary("libtokensim.so", vendorModule);
}

MappedDriverTest::~MappedDriverTest() {
    Restore("XDG_CONFIG_HOME", savedHome);
    Restore("XDG_CONFIG_DIRS", savedDirs);
}

void MappedDriverTest::InstallLibrary(const std::string& library, const fs::path& path) {
    fs::create_directories(path.parent_path());
    fs::copy_file(norva::test::ProgramFolder() / library, path,
                  fs::copy_options::overwrite_existing);
}

ToolRun MappedDriverTest::Tool(const std::string& arguments) {
    return Run("'" + (norva::test::ProgramFolder() / "norva-drivers").string() + "' " + arguments);
}

ToolRun MappedDriverTest::Run(const std::string& command) {
    ToolRun run;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return run;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, count);
    }
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

fs::path MappedDriverTest::TextFile() const {
    const fs::path path = temp.path() / "opt" / "acme" / "README";
    std::ofstream(path) << "Acme token software\n";
    return path;
}
