// NorvaHost and the component library copied into a folder, as they are installed beside
// each other, so that the drivers in that folder are found through the normal search.
#pragma once

#include <filesystem>

#include "tests/support/ChildProcess.h"

namespace norva::test {

// Returns the path of the copied host program.
inline std::filesystem::path InstallHost(const std::filesystem::path& folder) {
    const std::filesystem::path host = folder / ProgramFile("NorvaHost");
    std::filesystem::copy_file(ProgramFolder() / ProgramFile("NorvaHost"), host);
    std::filesystem::copy_file(ProgramFolder() / LibraryFile("NorvaDigitalIDIF"),
                               folder / LibraryFile("NorvaDigitalIDIF"));
    return host;
}

} // namespace norva::test
