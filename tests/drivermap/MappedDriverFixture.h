// A test of its own registry stores (per user and system-wide) and a simulated token
// installed as a vendor's module would be: under a file name and folder that have nothing
// to do with the driver names, so that only the mapping can lead to it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/support/SimFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestPins.h"

struct ToolRun {
    int exitCode = -1;
    std::string output; // standard output and standard error, interleaved
};

class MappedDriverTest : public ::testing::Test {
protected:
    MappedDriverTest();
    ~MappedDriverTest() override;

    // Copies a library of the build's bin folder ("libtokensim.so") to path.
    static void InstallLibrary(const std::string& library, const std::filesystem::path& path);
    // Runs norva-drivers with the arguments (already quoted where needed).
    static ToolRun Tool(const std::string& arguments);
    // Runs a shell command line.
    static ToolRun Run(const std::string& command);
    // A file that exists but is no library.
    std::filesystem::path TextFile() const;

    // The first reader's token, initialised with the label and the test PINs.
    CK_SLOT_ID PrepareToken(const std::string& label) {
        return sims.PrepareToken(label, kSoPin, kUserPin);
    }

    sim::CSimFixture sims;
    norva::test::CTempFolder temp;
    std::filesystem::path vendorModule; // the token simulator, as /opt/acme/lib/libacmep11.so

private:
    std::string savedHome, savedDirs;
};
