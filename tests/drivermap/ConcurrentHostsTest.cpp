// Several NorvaHost processes at once on one virtual token and one pair of registry stores,
// as when a page sends requests faster than each host process ends: the class registered
// in the per-user store, the token's module reached through the system-wide mapping, and
// both stores rewritten by the tools while the hosts read them. Every reply is whole and
// as expected, and afterwards the token and both stores hold what they should.
#include "tests/drivermap/MappedDriverFixture.h"

#include <json/json.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "component/admin/HolderRecord.h"
#include "component/admin/Pins.h"
#include "component/access/DriverMap.h"
#include "platform/posix/RegistryFormat.h"
#include "platform/posix/RegistryStore.h"
#include "tests/component/RegistryReading.h"
#include "tests/support/HostInstall.h"
#include "tests/support/TokenKeys.h"
#include "tests/support/WireMessage.h"

namespace {

namespace fs = std::filesystem;

constexpr int kHosts = 8;
constexpr int kRounds = 4;
constexpr char kPin[] = "592604";
// DigestInfo of a SHA-256 digest: what a page would have the token sign.
constexpr char kDigest[] = "3031300d060960864801650304020105000420"
                           "c1f8a6ef7d3f1b1a5c3e0a3c2d9b8f7e6d5c4b3a2918170615141312111000ff";

enum class Expect { Exact, WrittenName, Signature };

// One kind of request: %N stands for the name it writes, %D for the digest.
struct RequestRow {
    const char* request;
    Expect expect;
    const char* result; // for Expect::Exact
    int lastZTError;
};

// clang-format off
const RequestRow kRows[] = {
    {R"({"func":"TokensCount"})",                                    Expect::Exact,       "1", 0},
    {R"({"func":"NorvaEFTTokensCount"})",                            Expect::Exact,       "1", 0},
    {R"({"func":"FirstName","params":{"newVal":"%N"}})",             Expect::Exact,       "",  0},
    {R"({"func":"FirstName"})",                                      Expect::WrittenName, "",  0},
    {R"({"func":"ChangePIN","params":{"oldPin":"592604","newPin":"592604"}})",
                                                                     Expect::Exact,       "0", 0},
    {R"({"func":"ChangePIN","params":{"oldPin":"111111","newPin":"222222"}})",
                                                                     Expect::Exact,       "6", 6},
    {R"({"func":"SignData","params":{"pin":"592604","rawData":"%D","isConvertToBinary":true}})",
                                                                     Expect::Signature,   "",  0},
    {R"({"func":"CardType","params":{"newVal":"1"}})",                 Expect::Exact,       "",  0},
    {R"({"func":"CardType"})",                                       Expect::Exact,       "1", 0},
};
// clang-format on
constexpr int kRowCount = sizeof kRows / sizeof kRows[0];
constexpr int kPutRow = 2;
constexpr int kSignRow = 6;

// Names of one width, different for every host in every round, so that a record mixed
// from two writes is none of them.
std::string WrittenName(int host, int round) {
    char name[32];
    std::snprintf(name, sizeof name, "Holder %02d-%02d %c%c%c%c", host, round, 'A' + host,
                  'A' + host, 'a' + round, 'a' + round);
    return name;
}

std::string Fill(std::string text, const std::string& name) {
    for (const auto& [mark, value] : {std::pair<std::string, std::string>{"%N", name},
                                      std::pair<std::string, std::string>{"%D", kDigest}}) {
        const size_t at = text.find(mark);
        if (at != std::string::npos) {
            text.replace(at, mark.size(), value);
        }
    }
    return text;
}

class ConcurrentHosts : public MappedDriverTest {
protected:
    ConcurrentHosts() {
        fs::create_directories(temp.path() / "app");
        host = norva::test::InstallHost(temp.path() / "app");
        component = temp.path() / "app" / norva::test::LibraryFile("NorvaDigitalIDIF");
    }

    // The reply of a new host process, parsed; null when the output is not one framed
    // JSON reply or the process failed.
    Json::Value Request(const std::string& text,
                        const norva::test::Environment& environment = {}) const {
        const norva::test::ChildRun run =
            norva::test::RunChild(host, norva::test::Framed(text), environment);
        const std::string& out = run.output;
        uint32_t length = 0;
        for (size_t i = 0; i < 4 && i < out.size(); ++i) {
            length |= static_cast<uint32_t>(static_cast<uint8_t>(out[i])) << (8 * i);
        }
        Json::Value reply;
        std::istringstream json(out.size() == 4 + size_t{length} ? out.substr(4) : "");
        std::string errors;
        if (run.exitCode != 0 ||
            !Json::parseFromStream(Json::CharReaderBuilder(), json, &reply, &errors)) {
            return Json::Value();
        }
        return reply;
    }

    bool Right(const RequestRow& row, const Json::Value& reply,
               const std::set<std::string>& names) const {
        const std::string result = reply["result"].asString();
        const int last = reply["LastZTError"].asInt();
        if (!reply.isObject() || reply["rc"].asString() != "0") {
            return false;
        }
        switch (row.expect) {
        case Expect::Exact:
            return last == row.lastZTError && result == row.result;
        case Expect::Signature:
            return last == 0 && result == signature;
        case Expect::WrittenName:
            return last == 0 && names.count(result) == 1;
        }
        return false;
    }

    // Each host in a thread of its own makes `rounds` requests, one after the other, of the
    // rows `rowOf` chooses; returns the requests answered wrongly, with their replies.
    std::string AllAtOnce(int rounds, int (*rowOf)(int host, int round),
                          const std::set<std::string>& names,
                          const norva::test::Environment& environment = {}) const {
        std::vector<std::string> faults(kHosts);
        std::vector<std::thread> hosts;
        for (int i = 0; i < kHosts; ++i) {
            hosts.emplace_back([&, i] {
                for (int round = 0; round < rounds; ++round) {
                    const RequestRow& row = kRows[rowOf(i, round)];
                    const std::string request = Fill(row.request, WrittenName(i, round));
                    const Json::Value reply = Request(request, environment);
                    if (!Right(row, reply, names)) {
                        faults[i] += request + " -> " + reply.toStyledString();
                    }
                }
            });
        }
        std::string all;
        for (int i = 0; i < kHosts; ++i) {
            hosts[i].join();
            all += faults[i];
        }
        return all;
    }

    fs::path host, component;
    std::string signature;
};

TEST_F(ConcurrentHosts, MixedRequestsAtOnceKeepTokenStoresAndRepliesWhole) {
    const std::string registrar =
        "'" + (norva::test::ProgramFolder() / "norva-regsvr").string() + "' ";
    ASSERT_EQ(Run(registrar + "'" + component.string() + "'").exitCode, 0);
    ASSERT_EQ(Tool("set tavlink.dll '" + vendorModule.string() + "' --system").exitCode, 0);
    sims.PrepareToken("Trellmoor", "87654321", kPin);
    // The wrong PINs never lock the token for the other hosts.
    sims.EditTokens([](tokensim::CTokenState& state) { state.maxPinFailures = 1000; });
    const Json::Value made = Request(R"({"func":"GenerateKeys","params":{"pin":"592604"}})");
    ASSERT_EQ(made["result"].asString(), "0") << made;
    signature = Request(Fill(kRows[kSignRow].request, ""))["result"].asString();
    ASSERT_EQ(signature.size(), 512u); // 2048 bits

    // Both stores are rewritten over and over while the hosts read them: the mapping of a
    // driver the hosts never find, in each store, and the class registration.
    const std::string text = "'" + TextFile().string() + "'";
    const std::string writes[] = {"set eTpkcs11.dll " + text + " --force",
                                  "set eTpkcs11.dll " + text + " --force --system",
                                  "clear eTpkcs11.dll", "clear eTpkcs11.dll --system"};
    std::atomic<bool> hostsDone{false};
    std::atomic<int> storeWrites{0}, failedWrites{0};
    std::thread writer([&] {
        for (; !hostsDone; ++storeWrites) {
            const int kind = storeWrites % 5;
            const ToolRun run =
                kind == 4 ? Run(registrar + "'" + component.string() + "'") : Tool(writes[kind]);
            failedWrites += run.exitCode != 0;
        }
    });

    std::set<std::string> names;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kHosts; ++i) {
            names.insert(WrittenName(i, round));
        }
    }
    // First every host writes a name on the token that has no holder record yet, all of
    // them finding none before any creates one (a slow driver).
    EXPECT_EQ(AllAtOnce(1, [](int, int) { return kPutRow; }, names,
                        {{"TOKENSIM_PAUSE", "C_CreateObject=300"}}),
              "");
    // Then the mix, each host changing rows from round to round.
    EXPECT_EQ(AllAtOnce(
                  kRounds, [](int i, int round) { return (i + round * 2) % kRowCount; }, names),
              "");
    hostsDone = true;
    writer.join();
    EXPECT_GT(storeWrites.load(), 0);
    EXPECT_EQ(failedWrites.load(), 0);

    // One holder record, each of its fields whole: one of the names written, the PIN state
    // that a PIN change writes or none, and nothing else.
    const tokensim::CTokenState state = sims.Tokens(); // throws for a damaged state file
    const std::vector<sim::Bytes> records =
        norva::test::DataObjectValues(state.readers.at(0).token);
    ASSERT_EQ(records.size(), 1u);
    ASSERT_EQ(records[0].size(), kUserRecordSize);
    UserRecord stored = {};
    std::memcpy(&stored, records[0].data(), kUserRecordSize);
    const std::string name = FieldText(stored, kFirstNameField);
    EXPECT_EQ(names.count(name), 1u) << name;
    const std::string pinState = FieldText(stored, kPINStateField);
    EXPECT_TRUE(pinState.empty() || pinState == kDefaultUserPin) << pinState;
    UserRecord expected = {};
    SetFieldText(expected, kFirstNameField, name);
    SetFieldText(expected, kPINStateField, pinState);
    EXPECT_EQ(std::memcmp(&stored, &expected, kUserRecordSize), 0);
    EXPECT_EQ(Request(R"({"func":"FirstName"})")["result"].asString(), name);

    // Both stores parse and still hold the registration and the token's mapping.
    for (const norva::RegistryRoot root :
         {norva::RegistryRoot::CurrentUser, norva::RegistryRoot::LocalMachine}) {
        std::ifstream file(norva::RegistryStorePath(root));
        std::stringstream content;
        content << file.rdbuf();
        norva::RegistryTree tree;
        EXPECT_TRUE(norva::ParseRegistry(content.str(), tree)) << content.str();
    }
    std::string mapped;
    EXPECT_TRUE(norva::ReadDriverMapping(norva::MappingScope::System,
                                         *DriverForCardType(kCardTavlink), mapped));
    EXPECT_EQ(mapped, vendorModule.string());
    EXPECT_EQ(
        norva::test::ReadText("CLSID\\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}\\InprocServer32"),
        component.string());
}

} // namespace
