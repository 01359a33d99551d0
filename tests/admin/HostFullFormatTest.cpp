// Full formatting end to end: NorvaHost with the component library and the simulated
// driver, each request in a process of its own as the browser makes them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "testing/common/Bytes.h"
#include "testing/support/SimFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostInstall.h"
#include "tests/support/TokenKeys.h"
#include "tests/support/WireMessage.h"

namespace {

namespace fs = std::filesystem;

class HostFullFormat : public ::testing::Test {
protected:
    void SetUp() override {
        sims.Install(sim::TSimulator::Token, "tavlink"); // one blank token
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
        host = norva::test::InstallHost(sims.Folder());
    }

    // The reply's JSON text.
    std::string Request(const std::string& json) {
        const norva::test::Environment environment = {
            {"TOKENSIM_STATE", sims.TokenStatePath()},
            {"HLSIM_STATE", sims.HlStatePath()},
            {"XDG_CONFIG_HOME", registry.path().string()}, // the class is not registered
        };
        const norva::test::ChildRun run =
            norva::test::RunChild(host, norva::test::Framed(json), environment);
        EXPECT_EQ(run.exitCode, 0);
        return run.output.size() >= 4 ? run.output.substr(4) : "";
    }

    // The reply of a request whose outcome is a success with no error codes.
    std::string Result(const std::string& json) {
        const std::string reply = Request(json);
        const std::string head = R"({"rc":"0","result":")";
        const std::string tail = R"(","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})";
        EXPECT_EQ(reply.rfind(head, 0), 0u) << reply;
        EXPECT_TRUE(reply.ends_with(tail)) << reply;
        if (reply.size() < head.size() + tail.size()) {
            return "";
        }
        return reply.substr(head.size(), reply.size() - head.size() - tail.size());
    }

    sim::CSimFixture sims;
    norva::test::CTempFolder registry;
    fs::path host;
};

TEST_F(HostFullFormat, LaterRequestsReadTheNamesAndTheKeyTheFormattingStored) {
    const std::string key = Result(
        R"({"func":"FullFormatToken","params":{"initPin":"24682468","SOPassword":"87654321",)"
        R"("userID":"300123456","firstName":"Dana","lastName":"Levi","keyLength":"2"}})");
    EXPECT_EQ(key.size(), 512u);
    EXPECT_EQ(key, sim::ToHex(norva::test::StoredModulus(sims.Tokens().readers.at(0).token)));
    EXPECT_EQ(sims.Tokens().readers.at(0).token.label, "Trellmoor" + std::string(23, ' '));

    const std::pair<const char*, std::string> reads[] = {
        {R"({"func":"FirstName"})", "Dana"},
        {R"({"func":"LastName"})", "Levi"},
        {R"({"func":"UserID"})", "300123456"},
        {R"({"func":"Company"})", ""},
        {R"({"func":"NorvaEFTTokensCount"})", "1"},
        {R"({"func":"PublicKey"})", key},
        {R"({"func":"ChangePIN","params":{"oldPin":"24682468","newPin":"13571357"}})", "0"},
    };
    for (const auto& [request, expected] : reads) {
        SCOPED_TRACE(request);
        EXPECT_EQ(Result(request), expected);
    }
    const std::vector<uint8_t> pin = sims.Tokens().readers.at(0).token.userPin;
    EXPECT_EQ(std::string(pin.begin(), pin.end()), "13571357");
}

} // namespace
