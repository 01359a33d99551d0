#include "tests/support/ChildProcess.h"

#include <cstdlib>
#include <random>
#include <stdexcept>

namespace norva::test {

std::filesystem::path ProgramFolder() {
    const char* folder = std::getenv("NORVA_BIN");
    return folder != nullptr && folder[0] != 0 ? std::filesystem::path(folder)
                                               : std::filesystem::current_path();
}

CTempFolder::CTempFolder() {
    std::random_device random;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = base / ("norva-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

CTempFolder::~CTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace norva::test
