// The real NorvaHost on the wire: bytes in on standard input, bytes out on standard output.
// Most runs use a copy of the host beside a programmable stand-in for the component library,
// so the component's answers are known end to end.
#include "tests/support/ChildProcess.h"
#include "tests/support/WireMessage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace norva::test {

namespace {

namespace fs = std::filesystem;

std::string Hex(const std::string& bytes) {
    std::string hex;
    char pair[3];
    for (const unsigned char byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hex += pair;
    }
    return hex;
}

// A folder holding a copy of NorvaHost and, optionally, a library under the component's name.
struct HostFolder {
    CTempFolder folder;
    fs::path host;

    explicit HostFolder(const std::string& componentStandIn) {
        host = folder.path() / ProgramFile("NorvaHost");
        fs::copy_file(ProgramFolder() / ProgramFile("NorvaHost"), host);
        if (!componentStandIn.empty()) {
            fs::copy_file(ProgramFolder() / LibraryFile(componentStandIn),
                          folder.path() / LibraryFile("NorvaDigitalIDIF"));
        }
    }
};

class WireTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        registry_ = std::make_unique<CTempFolder>();
        fake_ = std::make_unique<HostFolder>("NorvaFakeZentor");
        bare_ = std::make_unique<HostFolder>("");
        noEntry_ = std::make_unique<HostFolder>("NorvaNoClassObject");
    }
    static void TearDownTestSuite() {
        fake_.reset();
        bare_.reset();
        noEntry_.reset();
        registry_.reset();
    }

    // Runs host with input; the component class is never registered for it, so the host
    // always takes the library beside it.
    static ChildRun RunHost(const fs::path& host, const std::string& input,
                            Environment environment = {}) {
        environment.emplace_back("XDG_CONFIG_HOME", registry_->path().string());
        ChildRun run = RunChild(host, input, environment);
        EXPECT_EQ(run.exitCode, 0);
        return run;
    }
    static ChildRun RunFake(const std::string& input, const Environment& environment = {}) {
        return RunHost(fake_->host, input, environment);
    }

    static std::unique_ptr<CTempFolder> registry_;
    static std::unique_ptr<HostFolder> fake_;
    static std::unique_ptr<HostFolder> bare_;
    static std::unique_ptr<HostFolder> noEntry_;
};

std::unique_ptr<CTempFolder> WireTest::registry_;
std::unique_ptr<HostFolder> WireTest::fake_;
std::unique_ptr<HostFolder> WireTest::bare_;
std::unique_ptr<HostFolder> WireTest::noEntry_;

const std::string kParsingError = Framed(R"({"rc":"707","errMsg":"Json message parsing error"})");
const std::string kUnsupported = Framed(R"({"rc":"708","errMsg":"Unsupported function"})");
const std::string kAccessError = Framed(R"({"rc":"709","errMsg":"COM component accessing error"})");

TEST_F(WireTest, HostVersionGivesTheWorkedExchange) {
    const std::string request = std::string("\x16\x00\x00\x00", 4) + R"({"func":"HostVersion"})";
    EXPECT_EQ(RunFake(request).output,
              std::string("\x52\x00\x00\x00", 4) +
                  R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,)"
                  R"("SignFileCanceled":0})");
}

TEST_F(WireTest, UnknownCommandGivesTheWorkedError) {
    EXPECT_EQ(RunFake(Framed(R"({"func":"NoSuchCommand"})")).output,
              std::string("\x2C\x00\x00\x00", 4) +
                  R"({"rc":"708","errMsg":"Unsupported function"})");
}

TEST_F(WireTest, ZeroLengthGives707) {
    EXPECT_EQ(RunFake(std::string(4, '\0')).output, kParsingError);
}

TEST_F(WireTest, TruncatedBodyGives707) {
    EXPECT_EQ(RunFake(std::string("\x16\x00\x00\x00", 4) + R"({"func":"HostVer)").output,
              kParsingError);
}

TEST_F(WireTest, TwoByteLengthPrefixGives707) {
    EXPECT_EQ(RunFake(std::string("\x16\x00", 2)).output, kParsingError);
}

TEST_F(WireTest, NullFuncGives708) {
    EXPECT_EQ(RunFake(Framed(R"({"func":null,"params":{}})")).output, kUnsupported);
}

TEST_F(WireTest, NameDifferingOnlyInCaseGives708) {
    EXPECT_EQ(RunFake(Framed(R"({"func":"hostVersion"})")).output, kUnsupported);
}

TEST_F(WireTest, NoFuncGivesSuccessWithEmptyResultAndTheComponentErrors) {
    const ChildRun run =
        RunFake(Framed(R"({"params":{"pin":"1"}})"),
                {{"NORVA_FAKE_LAST_ZT_ERROR", "6"}, {"NORVA_FAKE_PKCS11_ERROR", "160"}});
    EXPECT_EQ(run.output, Framed(R"({"rc":"0","result":"","LastZTError":6,"PKCS11Error":160,)"
                                 R"("SignFileCanceled":0})"));
}

TEST_F(WireTest, ResultTextIsEscapedByteByByte) {
    const std::string text = "q\"s/b\\\b\t\n\f\r\x01.";
    const ChildRun run =
        RunFake(Framed(R"({"func":"FirstName"})"), {{"NORVA_FAKE_TEXT_HEX", Hex(text)}});
    EXPECT_EQ(run.output, Framed("{\"rc\":\"0\",\"result\":\"q\\\"s\\/b\\\\\\b\\t\\n\\f\\r\x01.\","
                                 "\"LastZTError\":0,\"PKCS11Error\":0,\"SignFileCanceled\":0}"));
}

TEST_F(WireTest, MultiByteResultLengthCountsBytes) {
    const std::string text = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x98\x80";
    const ChildRun run =
        RunFake(Framed(R"({"func":"LastName"})"), {{"NORVA_FAKE_TEXT_HEX", Hex(text)}});
    const std::string reply = R"({"rc":"0","result":")" + text +
                              R"(","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})";
    ASSERT_EQ(reply.size(), 88u);
    EXPECT_EQ(run.output, Framed(reply));
}

TEST_F(WireTest, InvalidUtf8ParameterGives706) {
    EXPECT_EQ(
        RunFake(Framed("{\"func\":\"ChangePIN\",\"params\":{\"oldPin\":\"\xFF\xFE\"}}")).output,
        Framed(R"({"rc":"706","errMsg":"One or more parameters are invalid"})"));
}

TEST_F(WireTest, FailingComponentErrorReadGives709) {
    EXPECT_EQ(
        RunFake(Framed(R"({"func":"HostVersion"})"), {{"NORVA_FAKE_FAILING", "get_PKCS11Error"}})
            .output,
        kAccessError);
}

TEST_F(WireTest, MissingComponentGives709AndLeavesInputUnread) {
    const ChildRun run = RunHost(bare_->host, Framed(R"({"func":"HostVersion"})"));
    EXPECT_EQ(run.output, kAccessError);
    EXPECT_EQ(run.inputPosition, 0u);
}

TEST_F(WireTest, LibraryWithoutClassObjectGives709AndLeavesInputUnread) {
    const ChildRun run = RunHost(noEntry_->host, Framed(R"({"func":"HostVersion"})"));
    EXPECT_EQ(run.output, kAccessError);
    EXPECT_EQ(run.inputPosition, 0u);
}

TEST_F(WireTest, RealComponentTakesACardTypePut) {
    const fs::path host = ProgramFolder() / ProgramFile("NorvaHost");
    ASSERT_TRUE(fs::exists(ProgramFolder() / LibraryFile("NorvaDigitalIDIF")));
    EXPECT_EQ(RunHost(host, Framed(R"({"func":"CardType","params":{"newVal":"3"}})")).output,
              Framed(R"({"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,)"
                     R"("SignFileCanceled":0})"));
}

TEST_F(WireTest, RealComponentReportsNoCardTypeInAFreshProcess) {
    const fs::path host = ProgramFolder() / ProgramFile("NorvaHost");
    ASSERT_TRUE(fs::exists(ProgramFolder() / LibraryFile("NorvaDigitalIDIF")));
    // What the token-count read leaves in PKCS11Error depends on the drivers present.
    const std::string reply = RunHost(host, Framed(R"({"func":"CardType"})")).output;
    EXPECT_EQ(reply.substr(4, 40), R"({"rc":"0","result":"0","LastZTError":0,")");
}

} // namespace

} // namespace norva::test
