// Starts a program with given bytes on its standard input and collects what it writes to
// standard output. Both streams are temporary files, so any amount of input or output is
// fine, and afterwards the position of the shared input file tells how much the program read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace norva::test {

struct ChildRun {
    std::string output;
    int exitCode = -1;
    // How far the program moved through its standard input. A program that never reads
    // leaves it at 0; one that reads through buffered streams may move it past what it used.
    uint64_t inputPosition = 0;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs program in its own folder (so the caller's working folder is not on its library search
// path) with the caller's environment plus (or overridden by)
// extra; fails the calling test when the program cannot be started.
ChildRun RunChild(const std::filesystem::path& program, const std::string& input,
                  const Environment& extra = {});

// The folder of the programs under test: NORVA_BIN, or the working folder.
std::filesystem::path ProgramFolder();

// The file name of a program of this build ("NorvaHost" or "NorvaHost.exe") and of a shared
// library ("libX.so" or "X.dll").
std::string ProgramFile(const std::string& name);
std::string LibraryFile(const std::string& name);

// A new empty folder under the system's temporary folder, removed with its content.
class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace norva::test
