// The pieces the simulators share: hexadecimal text, fault rules, the call log, the
// state file and the test fixture.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "testing/common/CallControl.h"
#include "testing/common/StateFile.h"
#include "testing/support/SimFixture.h"
#include "testing/tokensim/Attributes.h"

namespace fs = std::filesystem;

TEST(SimHex, RoundTripsBytesInUpperCase) {
    const sim::Bytes bytes = {0x00, 0x0A, 0xFF, 0x5c};
    EXPECT_EQ(sim::ToHex(bytes), "000AFF5C");
    EXPECT_EQ(sim::FromHex("000aff5C"), bytes);
}

TEST(SimHex, RefusesOddLengthAndForeignCharacters) {
    EXPECT_FALSE(sim::FromHex("ABC"));
    EXPECT_FALSE(sim::FromHex("0G"));
    EXPECT_EQ(sim::FromHex(""), sim::Bytes());
}

TEST(SimFaults, RuleCountsOnlyItsOwnFunction) {
    Json::Value state;
    sim::AddFault(state, "C_Login", 0x80000001, 2);
    bool counted = false;
    EXPECT_FALSE(sim::TakeFault(state, "C_Logout", counted));
    EXPECT_FALSE(counted);
    EXPECT_FALSE(sim::TakeFault(state, "C_Login", counted));
    EXPECT_TRUE(counted);
    EXPECT_EQ(sim::TakeFault(state, "C_Login", counted), 0x80000001u);
    EXPECT_FALSE(sim::TakeFault(state, "C_Login", counted));
}

TEST(SimFaults, ClearedRulesNoLongerFire) {
    Json::Value state;
    sim::AddFault(state, "hl_sign", 5, 0);
    sim::ClearFaults(state);
    bool counted = false;
    EXPECT_FALSE(sim::TakeFault(state, "hl_sign", counted));
}

TEST(SimCallLog, LinesReadBackAsWritten) {
    const sim::CSimFixture sims;
    Json::Value state;
    const std::string path = (fs::path(sims.Folder()) / "calls.log").string();
    sim::SetCallLog(state, path);
    sim::AppendCallLog(state, "C_Login", {{"session", "1"}, {"pin", "3132"}}, 0xA0);
    sim::AppendCallLog(state, "C_Finalize", {}, 0);
    const auto calls = sim::ReadCallLog(path);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].function, "C_Login");
    EXPECT_EQ(calls[0].Arg("pin"), "3132");
    EXPECT_FALSE(calls[0].HasArg("user"));
    EXPECT_EQ(calls[0].result, 0xA0u);
    EXPECT_EQ(sim::FormatCall(calls[1]), "C_Finalize\t\t0x00000000");
}

TEST(SimStateFile, UnchangedStateIsNotWrittenAndChangedStateIs) {
    const sim::CSimFixture sims;
    const sim::CStateFile file((fs::path(sims.Folder()) / "state.json").string());
    file.Update([](Json::Value&) { return false; });
    EXPECT_FALSE(fs::exists(file.Path()));
    file.Update([](Json::Value& state) {
        state["answer"] = 42;
        return true;
    });
    EXPECT_EQ(file.Read()["answer"].asInt(), 42);
    EXPECT_FALSE(fs::exists(file.Path() + ".tmp"));
}

TEST(SimStateFile, ReadsWhatAnotherWriterLeftAndHandsOutCopies) {
    const sim::CSimFixture sims;
    const sim::CStateFile file((fs::path(sims.Folder()) / "state.json").string());
    file.Update([](Json::Value& state) {
        state["answer"] = 41;
        return true;
    });
    Json::Value first = file.Read();
    first["answer"] = 7; // a caller's own copy: not what the next reader gets
    EXPECT_EQ(file.Read()["answer"].asInt(), 41);
    // Another process rewrites the file in place with a text of the same length.
    { std::ofstream(file.Path(), std::ios::trunc) << "{\"answer\": 43}\n"; }
    EXPECT_EQ(file.Read()["answer"].asInt(), 43);
    file.Update([](Json::Value& state) {
        EXPECT_EQ(state["answer"].asInt(), 43);
        return false;
    });
}

TEST(SimStateFile, VersionsNameTheStateAndAFailedChangeIsForgotten) {
    const sim::CSimFixture sims;
    const sim::CStateFile file((fs::path(sims.Folder()) / "state.json").string());
    const auto version = [&] {
        return file.UpdateVersioned([](Json::Value&, uint64_t) { return false; });
    };
    const uint64_t blank = version();
    EXPECT_NE(blank, 0u);
    EXPECT_EQ(version(), blank);
    uint64_t seen = 0;
    const uint64_t written = file.UpdateVersioned([&](Json::Value& state, uint64_t given) {
        seen = given;
        state["answer"] = 41;
        return true;
    });
    EXPECT_EQ(seen, blank);
    EXPECT_NE(written, blank);
    EXPECT_EQ(version(), written);
    { std::ofstream(file.Path(), std::ios::trunc) << "{\"answer\": 43}\n"; }
    EXPECT_NE(version(), written);
    // A change that throws half-way is not kept: the next call gets what is on file.
    EXPECT_THROW(file.Update([](Json::Value& state) -> bool {
        state["answer"] = 7;
        throw std::runtime_error("stopped");
    }),
                 std::runtime_error);
    file.Update([](Json::Value& state) {
        EXPECT_EQ(state["answer"].asInt(), 43);
        return false;
    });
}

TEST(SimStateFile, CorruptFileIsReportedNotReplaced) {
    const sim::CSimFixture sims;
    const sim::CStateFile file((fs::path(sims.Folder()) / "state.json").string());
    { std::ofstream(file.Path()) << "[1, 2"; }
    EXPECT_THROW(file.Read(), std::runtime_error);
    EXPECT_THROW(file.Update([](Json::Value&) { return true; }), std::runtime_error);
    std::ifstream kept(file.Path());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "[1, 2");
}

TEST(SimFixtureTest, InstallsUnderTheDriverNameAndCleansUp) {
    const std::string before = sim::ReadEnvironment("TOKENSIM_STATE");
    std::string folder, installed;
    {
        sim::CSimFixture sims;
        folder = sims.Folder();
        installed = sims.Install(sim::TSimulator::Token, "eTpkcs11", "own");
        EXPECT_EQ(fs::path(installed).filename().string(), sim::LibraryFileName("eTpkcs11"));
        EXPECT_TRUE(fs::exists(installed));
        EXPECT_EQ(sim::ReadEnvironment("TOKENSIM_STATE_eTpkcs11"), sims.TokenStatePath("own"));
        EXPECT_EQ(sim::ReadEnvironment("HLSIM_STATE"), sims.HlStatePath());
    }
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(sim::ReadEnvironment("TOKENSIM_STATE_eTpkcs11"), "");
    EXPECT_EQ(sim::ReadEnvironment("TOKENSIM_STATE"), before);
}

TEST(SimFixtureTest, PreparedTokenIsInitialisedWithBothPins) {
    sim::CSimFixture sims;
    const CK_SLOT_ID slot = sims.PrepareToken("Trellmoor", "87654321", "1234");
    const tokensim::CReader reader = sims.Tokens().readers.at(0);
    EXPECT_EQ(reader.slot, slot);
    EXPECT_EQ(reader.token.label, "Trellmoor" + std::string(23, ' '));
    EXPECT_EQ(reader.token.userPin, sim::ToBytes("1234"));
    EXPECT_TRUE(reader.token.userPinInitialized);
}

TEST(SimTokenState, SurvivesAStoreAndLoad) {
    tokensim::CTokenState state = tokensim::LoadTokenState(Json::Value());
    tokensim::CReader& reader = state.AddReader("Pendrel");
    reader.tokenInfoFails = true;
    tokensim::CObject object;
    object.handle = 7;
    object.Set(CKA_CLASS, tokensim::NumberBytes(CKO_DATA));
    object.Set(CKA_PRIVATE, tokensim::FlagBytes(true));
    object.Set(CKA_LABEL, {'x', 0});
    reader.token.objects.push_back(object);
    Json::Value root;
    tokensim::StoreTokenState(state, root);
    const tokensim::CTokenState back = tokensim::LoadTokenState(root);
    ASSERT_EQ(back.readers.size(), 2u);
    EXPECT_TRUE(back.readers[1].tokenInfoFails);
    const tokensim::CObject& stored = back.readers[1].token.objects.at(0);
    EXPECT_EQ(stored.Number(CKA_CLASS, 99), CKO_DATA);
    EXPECT_TRUE(stored.Flag(CKA_PRIVATE, false));
    EXPECT_EQ(*stored.Find(CKA_LABEL), (sim::Bytes{'x', 0}));
}
