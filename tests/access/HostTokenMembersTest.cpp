// The token-count members end to end: NorvaHost, the component library and a virtual
// token set up with the simulator control tool, each request in a process of its own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "testing/support/SimFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostInstall.h"

namespace {

namespace fs = std::filesystem;
using norva::test::ChildRun;
using norva::test::Environment;
using norva::test::ProgramFile;
using norva::test::ProgramFolder;

std::string Framed(const std::string& text) {
    const uint32_t length = static_cast<uint32_t>(text.size());
    std::string bytes(sizeof length, '\0');
    std::memcpy(bytes.data(), &length, sizeof length);
    return bytes + text;
}

// The reply's JSON text, or "" when the output is not one framed reply.
std::string ReplyText(const std::string& output) {
    uint32_t length = 0;
    if (output.size() < sizeof length) {
        return "";
    }
    std::memcpy(&length, output.data(), sizeof length);
    return output.size() == sizeof length + length ? output.substr(sizeof length) : "";
}

class HostTokenMembers : public ::testing::Test {
protected:
    // The host and the component are copied beside the simulated drivers, as they would be
    // installed, so the drivers are found through the normal search order.
    void SetUp() override {
        sims.Install(sim::TSimulator::Token, "tavlink");
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
        host = norva::test::InstallHost(sims.Folder());
    }

    // simctl token COMMAND... on the token state the drivers use (TOKENSIM_STATE, set by
    // the fixture). Only the program is quoted, which both shells read alike.
    int SimCtl(const std::string& arguments) {
        const fs::path simctl =
            fs::absolute(ProgramFolder() / ProgramFile("simctl")).make_preferred();
        const std::string command = "\"" + simctl.string() + "\" token " + arguments;
        return std::system(command.c_str());
    }

    std::string Request(const std::string& func) {
        const Environment environment = {
            {"TOKENSIM_STATE", sims.TokenStatePath()},
            {"HLSIM_STATE", sims.HlStatePath()},
            {"XDG_CONFIG_HOME", registry.path().string()}, // the class is not registered
        };
        const ChildRun run =
            norva::test::RunChild(host, Framed(R"({"func":")" + func + R"("})"), environment);
        EXPECT_EQ(run.exitCode, 0);
        return ReplyText(run.output);
    }

    sim::CSimFixture sims;
    norva::test::CTempFolder registry;
    fs::path host;
};

TEST_F(HostTokenMembers, CountsAServiceTokenSetUpWithTheControlTool) {
    const CK_SLOT_ID slot = sims.Tokens().readers.at(0).slot;
    ASSERT_EQ(SimCtl("init-token " + std::to_string(slot) +
                     " --so-pin 87654321 --label Trellmoor --user-pin 1234"),
              0);
    EXPECT_EQ(Request("TokensCount"),
              R"({"rc":"0","result":"1","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
    EXPECT_EQ(Request("NorvaEFTTokensCount"),
              R"({"rc":"0","result":"1","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
    // Reading the card type first counts the service tokens, which chooses tavlink.
    EXPECT_EQ(Request("CardType"),
              R"({"rc":"0","result":"1","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
    EXPECT_EQ(Request("DriversInstalled"),
              R"({"rc":"0","result":"1","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

TEST_F(HostTokenMembers, BlankTokenIsATokenButNoServiceToken) {
    EXPECT_EQ(Request("TokensCount"),
              R"({"rc":"0","result":"1","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
    EXPECT_EQ(Request("NorvaEFTTokensCount"),
              R"({"rc":"0","result":"0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

} // namespace
