// Bad input at the host's edges, against the real component on a virtual token: every member
// of every command in the host's table given each JSON type that its kind cannot take, left
// out, or given text that is not UTF-8; frames that are short, huge or nested deep. Each
// request gets exactly one well-formed reply with the expected code, and a rejected request
// leaves the token's state file as it was. The whole table runs in-process; a sample of it
// runs through NorvaHost itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <json/reader.h>

#include "component/CZentor.h"
#include "host/CommandTable.h"
#include "host/HostSession.h"
#include "testing/support/SimFixture.h"
#include "tests/signing/CPromptDouble.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/HostInstall.h"
#include "tests/support/WireMessage.h"

namespace norva::test {

namespace {

namespace fs = std::filesystem;
using host::ParamKind;

struct JsonType {
    const char* name;
    const char* json;
};
constexpr JsonType kJsonTypes[] = {
    {"null", "null"},    {"bool", "true"},     {"integer", "7"},       {"float", "-2.5"},
    {"string", "\"7\""}, {"array", "[\"7\"]"}, {"object", "{\"7\":7}"}};

// What each kind of member takes, from the protocol's conversions: text takes strings,
// booleans and null; raw data strings and null; a flag booleans, numbers and null; a card
// type only a string.
bool Takes(ParamKind kind, const std::string& type) {
    switch (kind) {
    case ParamKind::Text:
        return type == "null" || type == "bool" || type == "string";
    case ParamKind::RawData:
        return type == "null" || type == "string";
    case ParamKind::Flag:
        return type == "null" || type == "bool" || type == "integer" || type == "float";
    case ParamKind::CardType:
        return type == "string";
    }
    return false;
}

// A value of the member's kind that no token accepts as a PIN or password.
std::string Harmless(ParamKind kind) {
    return kind == ParamKind::Flag ? "true" : kind == ParamKind::RawData ? "\"00\"" : "\"9\"";
}

struct BadRequest {
    std::string what;
    std::string json;
    int code; // 0: a success reply
};

// For every command of the table, every member: each wrong type, text that is not UTF-8
// (only text is decoded; raw data is taken byte by byte), and the member left out (which
// only the card type cannot be).
std::vector<BadRequest> BadRequests() {
    std::vector<BadRequest> requests;
    for (const host::CommandEntry& command : host::CommandEntries()) {
        const std::string func(command.func);
        for (const host::ParamMember& member : command.params) {
            const auto paramsWith = [&](const std::string& value) {
                std::string params;
                for (const host::ParamMember& other : command.params) {
                    const std::string json = other.key == member.key ? value : Harmless(other.kind);
                    if (!json.empty()) {
                        params += (params.empty() ? "" : ",") + ("\"" + std::string(other.key)) +
                                  "\":" + json;
                    }
                }
                return R"({"func":")" + func + R"(","params":{)" + params + "}}";
            };
            const std::string what = func + "." + std::string(member.key);
            for (const JsonType& type : kJsonTypes) {
                if (!Takes(member.kind, type.name)) {
                    requests.push_back({what + " as " + type.name, paramsWith(type.json), 706});
                }
            }
            const bool decoded = member.kind == ParamKind::Text;
            requests.push_back({what + " not UTF-8", paramsWith("\"\xC3\x28\xFF\""),
                                decoded                             ? 706
                                : member.kind == ParamKind::RawData ? 0
                                                                    : 706});
            requests.push_back(
                {what + " left out", paramsWith(""), member.kind == ParamKind::CardType ? 706 : 0});
        }
        if (command.requiresParams) {
            requests.push_back({func + " without params", R"({"func":")" + func + "\"}", 705});
        }
        requests.push_back(
            {func + " params as array", R"({"func":")" + func + R"(","params":[1]})", 707});
    }
    requests.push_back({"func not UTF-8", "{\"func\":\"Host\xFFVersion\"}", 708});
    requests.push_back({"func as object", R"({"func":{"a":"HostVersion"}})", 707});
    requests.push_back({"root as array", R"([{"func":"HostVersion"}])", 707});
    return requests;
}

// The reply's code when `output` is exactly one frame holding a well-formed reply of one of
// the two templates; -1 otherwise.
int ReplyCode(const std::string& output) {
    if (output.size() < 4) {
        return -1;
    }
    const uint32_t length = static_cast<uint8_t>(output[0]) | static_cast<uint8_t>(output[1]) << 8 |
                            static_cast<uint8_t>(output[2]) << 16 |
                            static_cast<uint32_t>(static_cast<uint8_t>(output[3])) << 24;
    Json::Value reply;
    Json::CharReaderBuilder builder;
    builder["strictRoot"] = true;
    std::string errors;
    std::istringstream text(output.substr(4));
    if (length != output.size() - 4 || !Json::parseFromStream(builder, text, &reply, &errors) ||
        !reply.isObject() || !reply["rc"].isString()) {
        return -1;
    }
    const int code = std::stoi(reply["rc"].asString());
    const std::vector<std::string> keys =
        code == 0 ? std::vector<std::string>{"LastZTError", "PKCS11Error", "SignFileCanceled", "rc",
                                             "result"}
                  : std::vector<std::string>{"errMsg", "rc"};
    return reply.getMemberNames() == keys ? code : -1;
}

std::string FileBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The component that the in-process host binds to; released after each request.
CZentor* boundComponent = nullptr;

IZentor* BindComponent() {
    boundComponent = new CZentor(nullptr, std::make_unique<CPromptDouble>(false));
    boundComponent->AddRef();
    return boundComponent;
}

class BadInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDllDirectoryA(sims.Folder().c_str());
        sims.Install(sim::TSimulator::Token, "tavlink");
        sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
        sims.PrepareToken("Trellmoor", "87654321", "1234");
        prepared = FileBytes(sims.TokenStatePath());
    }
    void TearDown() override { SetDllDirectoryA(nullptr); }

    void Restore() { std::ofstream(sims.TokenStatePath(), std::ios::binary) << prepared; }

    std::string ServeInProcess(const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        host::ServeOneRequest(in, out, &BindComponent);
        boundComponent->Release();
        return out.str();
    }

    ChildRun ServeInHost(const std::string& input) {
        if (hostProgram.empty()) {
            hostProgram = InstallHost(sims.Folder());
        }
        const ChildRun run =
            RunChild(hostProgram, input, {{"XDG_CONFIG_HOME", registry.path().string()}});
        EXPECT_EQ(run.exitCode, 0);
        return run;
    }

    // The state file was not written: byte for byte as prepared.
    bool TokenUntouched() { return FileBytes(sims.TokenStatePath()) == prepared; }

    sim::CSimFixture sims;
    CTempFolder registry;
    fs::path hostProgram;
    std::string prepared;
};

TEST_F(BadInputTest, EveryMemberOfEveryCommandWithEveryWrongTypeGetsItsReply) {
    size_t cases = 0;
    for (const BadRequest& request : BadRequests()) {
        Restore();
        const int code = ReplyCode(ServeInProcess(Framed(request.json)));
        if (request.code == 0) {
            // Left out or raw bytes: a member the command takes as empty; it runs.
            EXPECT_EQ(code, 0) << request.what;
            continue;
        }
        ++cases;
        EXPECT_EQ(code, request.code) << request.what;
        EXPECT_TRUE(TokenUntouched()) << request.what;
    }
    EXPECT_GT(cases, 150u);
}

TEST_F(BadInputTest, NorvaHostAnswersASampleOfThemAndWritesNothing) {
    std::string lastCommand;
    size_t sampled = 0;
    for (const BadRequest& request : BadRequests()) {
        // The first rejected case of each command, and the requests that are no command.
        const std::string command = request.what.substr(0, request.what.find_first_of(". "));
        if (request.code == 0 || command == lastCommand) {
            continue;
        }
        lastCommand = command;
        ++sampled;
        Restore();
        EXPECT_EQ(ReplyCode(ServeInHost(Framed(request.json)).output), request.code)
            << request.what;
        EXPECT_TRUE(TokenUntouched()) << request.what;
    }
    EXPECT_GT(sampled, host::CommandEntries().size());
    EXPECT_TRUE(fs::is_empty(registry.path()));
}

TEST_F(BadInputTest, FramesOfAnyLengthAndNestingGetOneReply) {
    const std::string version = R"({"func":"HostVersion"})";
    const auto prefixed = [](uint32_t length, const std::string& text) {
        std::string frame;
        for (int shift = 0; shift < 32; shift += 8) {
            frame += static_cast<char>((length >> shift) & 0xFF);
        }
        return frame + text;
    };
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    const std::string large =
        R"({"func":"HostVersion","params":{"pad":")" + std::string(8u << 20, 'p') + "\"}}";
    const struct {
        const char* what;
        std::string input;
        int code;
    } frames[] = {
        {"largest length prefix", prefixed(0xFFFFFFFFu, version), 0},
        {"prefix beyond the data", prefixed(static_cast<uint32_t>(version.size()) + 9, version), 0},
        {"prefix short of the data", prefixed(10, version), 707},
        {"length bytes only", prefixed(0x7FFFFFFFu, ""), 707},
        {"8 MB frame", Framed(large), 0},
        {"deeply nested root", Framed(deep), 707},
        {"deeply nested params", Framed(R"({"func":"FirstName","params":{"newVal":)" + deep + "}}"),
         707},
    };
    for (const auto& frame : frames) {
        Restore();
        const ChildRun run = ServeInHost(frame.input);
        EXPECT_EQ(ReplyCode(run.output), frame.code) << frame.what;
        EXPECT_TRUE(TokenUntouched()) << frame.what;
    }
}

} // namespace

} // namespace norva::test
