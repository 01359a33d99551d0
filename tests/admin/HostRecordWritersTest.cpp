// Eight NorvaHost processes at once each put a name on a token that holds no holder record
// yet, with a slow driver so that every one of them has found no record before the first
// creates it. One record is left, holding one of the names whole, and the driver was asked
// for nothing outside the functions the component drives tokens with: no writer removes
// an object, whichever process numbered it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "component/access/UserRecord.h"
#include "testing/support/SimFixture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostInstall.h"
#include "tests/support/TokenKeys.h"
#include "tests/support/WireMessage.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWriters = 8;

// Every driver function the component calls on a PKCS#11 token.
const std::set<std::string> kDrivenFunctions = {
    "C_Initialize",
    "C_Finalize",
    "C_GetSlotList",
    "C_GetSlotInfo",
    "C_GetTokenInfo",
    "C_OpenSession",
    "C_CloseSession",
    "C_Login",
    "C_FindObjectsInit",
    "C_FindObjects",
    "C_FindObjectsFinal",
    "C_GetAttributeValue",
    "C_SetAttributeValue",
    "C_CreateObject",
    "C_InitToken",
    "C_CloseAllSessions",
    "C_InitPIN",
    "C_SetPIN",
    "C_GenerateKeyPair",
    "C_DecryptInit",
    "C_Decrypt",
    "C_SignInit",
    "C_Sign",
    "C_DigestInit",
    "C_Digest",
};

// Names of one width, one per writer, so that a record mixed from two writes is none of them.
std::string WriterName(int writer) {
    return "Writer " + std::to_string(10 + writer) +
           std::string(3, static_cast<char>('A' + writer));
}

class HostRecordWriters : public ::testing::Test {
protected:
    void SetUp() override {
        sims.Install(sim::TSimulator::Token, "tavlink");
        sims.PrepareToken("Trellmoor", "87654321", "592604");
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
        host = norva::test::InstallHost(sims.Folder());
    }

    std::string Put(const std::string& name) {
        const norva::test::Environment environment = {
            {"TOKENSIM_STATE", sims.TokenStatePath()},
            {"HLSIM_STATE", sims.HlStatePath()},
            {"XDG_CONFIG_HOME", registry.path().string()},
            {"TOKENSIM_PAUSE", "C_CreateObject=1000"},
        };
        const std::string request = R"({"func":"FirstName","params":{"newVal":")" + name + "\"}}";
        const norva::test::ChildRun run =
            norva::test::RunChild(host, norva::test::Framed(request), environment);
        return run.exitCode == 0 && run.output.size() >= 4 ? run.output.substr(4) : "(failed)";
    }

    sim::CSimFixture sims;
    norva::test::CTempFolder registry;
    fs::path host;
};

TEST_F(HostRecordWriters, EightWritersOfAMissingRecordLeaveOneWholeRecord) {
    std::vector<std::string> replies(kWriters);
    std::vector<std::thread> writers;
    for (int i = 0; i < kWriters; ++i) {
        writers.emplace_back([&, i] { replies[i] = Put(WriterName(i)); });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    std::set<std::string> names;
    for (int i = 0; i < kWriters; ++i) {
        names.insert(WriterName(i));
        EXPECT_EQ(replies[i], R"({"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,)"
                              R"("SignFileCanceled":0})");
    }

    const std::vector<sim::Bytes> records =
        norva::test::DataObjectValues(sims.Tokens().readers.at(0).token);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), kUserRecordSize);
    UserRecord stored = {};
    std::memcpy(&stored, records[0].data(), kUserRecordSize);
    const std::string name(stored.FirstName, strnlen(stored.FirstName, sizeof stored.FirstName));
    EXPECT_EQ(names.count(name), 1u) << name;
    UserRecord expected = {};
    std::memcpy(expected.FirstName, name.data(), name.size());
    EXPECT_EQ(std::memcmp(&stored, &expected, kUserRecordSize), 0); // zero bytes elsewhere

    size_t creations = 0;
    for (const sim::CCallRecord& call : sims.TokenCalls()) {
        EXPECT_EQ(kDrivenFunctions.count(call.function), 1u) << call.function;
        creations += call.function == "C_CreateObject";
    }
    EXPECT_EQ(creations, 1u);
}

} // namespace
