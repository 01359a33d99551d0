// The host's one-request flow in-process: framing, envelope, reply, and the order of
// binding, reading, dispatch and the final error reads.
#include "host/HostError.h"
#include "host/HostSession.h"
#include "tests/host/CRecordingZentor.h"
#include "tests/support/WireMessage.h"

#include <gmock/gmock.h>

#include <cstring>
#include <sstream>
#include <stdexcept>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace norva::test {

namespace {

CRecordingZentor* g_bound = nullptr;

IZentor* BindRecorder() {
    return g_bound;
}

IZentor* BindNothing() {
    host::RaiseHostError(host::kComponentAccess);
}

IZentor* BindBroken() {
    throw std::runtime_error("not a host error");
}

class HostSessionTest : public ::testing::Test {
protected:
    void SetUp() override { g_bound = &zentor; }
    void TearDown() override { g_bound = nullptr; }

    // The reply text after checking that its length prefix counts its bytes.
    std::string Serve(const std::string& input, host::ComponentBinder bind = &BindRecorder) {
        in.str(input);
        std::ostringstream out;
        host::ServeOneRequest(in, out, bind);
        const std::string bytes = out.str();
        EXPECT_GE(bytes.size(), 4u);
        uint32_t length = 0;
        std::memcpy(&length, bytes.data(), sizeof length);
        EXPECT_EQ(length, bytes.size() - 4);
        return bytes.substr(4);
    }
    std::string ServeText(const std::string& text) { return Serve(Framed(text)); }

    CRecordingZentor zentor;
    std::istringstream in;
};

const std::string kEmptySuccess =
    R"({"rc":"0","result":"","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})";
const std::string kParsingError = R"({"rc":"707","errMsg":"Json message parsing error"})";

TEST_F(HostSessionTest, HostVersionGivesTheWorkedExchange) {
    in.str(Framed(R"({"func":"HostVersion"})"));
    std::ostringstream out;
    host::ServeOneRequest(in, out, &BindRecorder);
    EXPECT_EQ(out.str(), std::string("\x52\0\0\0", 4) +
                             R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,)"
                             R"("SignFileCanceled":0})");
}

TEST_F(HostSessionTest, ComponentErrorsAreReadAfterTheCommandAndReported) {
    zentor.answers.lastZTError = ZTLoginPinExpired;
    zentor.answers.pkcs11Error = static_cast<TPKCS11Error>(0x80000001u);
    zentor.answers.text = u"Dana";
    EXPECT_EQ(ServeText(R"({"func":"FirstName"})"),
              R"({"rc":"0","result":"Dana","LastZTError":33,"PKCS11Error":-2147483647,)"
              R"("SignFileCanceled":0})");
    EXPECT_THAT(zentor.calls, ElementsAre("get_FirstName", "get_LastZTError", "get_PKCS11Error"));
}

TEST_F(HostSessionTest, CancelledFileSigningIsReportedInTheReply) {
    zentor.answers.signFileCanceled = 1;
    zentor.answers.text = u"S1|S2";
    EXPECT_EQ(
        ServeText(R"({"func":"SignFile","params":{"pin":"1"}})"),
        R"({"rc":"0","result":"S1|S2","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":1})");
}

TEST_F(HostSessionTest, ResultTextIsEscapedAndItsLengthCountsBytes) {
    zentor.answers.text = u"\"/\\\t\u0001\u05D0";
    EXPECT_EQ(ServeText(R"({"func":"PublicKey"})"),
              "{\"rc\":\"0\",\"result\":\"\\\"\\/\\\\\\t\x01\xD7\x90\",\"LastZTError\":0,"
              "\"PKCS11Error\":0,\"SignFileCanceled\":0}");
}

TEST_F(HostSessionTest, NullRootOrNoFuncOnlyReportsTheComponentErrors) {
    EXPECT_EQ(ServeText("null"), kEmptySuccess);
    EXPECT_EQ(ServeText(R"({"params":{"pin":"1"}})"), kEmptySuccess);
    EXPECT_EQ(ServeText(R"({"params":"not an object"})"), kEmptySuccess);
    EXPECT_THAT(zentor.calls, ElementsAre("get_LastZTError", "get_PKCS11Error", "get_LastZTError",
                                          "get_PKCS11Error", "get_LastZTError", "get_PKCS11Error"));
}

TEST_F(HostSessionTest, CommentsAreAllowed) {
    EXPECT_EQ(
        ServeText("/* c */ {\"func\": \"HostVersion\"} // end"),
        R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

TEST_F(HostSessionTest, TextThatIsNotJsonGives707) {
    EXPECT_EQ(ServeText(""), kParsingError);
    EXPECT_EQ(ServeText(R"({"func":"HostVersion")"), kParsingError);
    EXPECT_EQ(ServeText("{func:1}"), kParsingError);
    EXPECT_THAT(zentor.calls, IsEmpty());
}

TEST_F(HostSessionTest, DeepNestingGives707) {
    EXPECT_EQ(ServeText(std::string(100000, '[')), kParsingError);
    EXPECT_EQ(ServeText(R"({"func":"HostVersion","params":)" + std::string(5000, '[') +
                        std::string(5000, ']') + "}"),
              kParsingError);
}

TEST_F(HostSessionTest, RootsOtherThanObjectOrNullGive707) {
    for (const char* root : {"[]", R"(["HostVersion"])", R"("HostVersion")", "12", "true"}) {
        EXPECT_EQ(ServeText(root), kParsingError) << root;
    }
    EXPECT_THAT(zentor.calls, IsEmpty());
}

TEST_F(HostSessionTest, FuncOfWrongTypeGives707) {
    for (const char* func : {"12", "[\"HostVersion\"]", "{}"}) {
        EXPECT_EQ(ServeText(std::string(R"({"func":)") + func + "}"), kParsingError) << func;
    }
}

TEST_F(HostSessionTest, FuncNullOrBooleanIsAnUnknownName) {
    const std::string unsupported = R"({"rc":"708","errMsg":"Unsupported function"})";
    EXPECT_EQ(ServeText(R"({"func":null})"), unsupported);
    EXPECT_EQ(ServeText(R"({"func":true})"), unsupported);
    EXPECT_THAT(zentor.calls, IsEmpty());
}

TEST_F(HostSessionTest, ParamsOfWrongTypeGive707) {
    for (const char* params : {"[]", R"("pin")", "1", "false"}) {
        EXPECT_EQ(ServeText(std::string(R"({"func":"ChangePIN","params":)") + params + "}"),
                  kParsingError)
            << params;
    }
    EXPECT_THAT(zentor.calls, IsEmpty());
}

TEST_F(HostSessionTest, AHostErrorSkipsTheComponentErrorReads) {
    EXPECT_EQ(ServeText(R"({"func":"FormatToken"})"),
              R"({"rc":"705","errMsg":"One or more parameters are missing"})");
    EXPECT_THAT(zentor.calls, IsEmpty());
}

TEST_F(HostSessionTest, FailingComponentErrorReadsGive709) {
    const std::string accessError = R"({"rc":"709","errMsg":"COM component accessing error"})";
    zentor.answers.failures["get_LastZTError"] = E_FAIL;
    EXPECT_EQ(ServeText(R"({"func":"HostVersion"})"), accessError);
    zentor.answers.failures = {{"get_PKCS11Error", E_UNEXPECTED}};
    EXPECT_EQ(ServeText(R"({"func":"HostVersion"})"), accessError);
}

TEST_F(HostSessionTest, BindingFailureAnswers709WithoutReadingInput) {
    EXPECT_EQ(Serve(Framed(R"({"func":"HostVersion"})"), &BindNothing),
              R"({"rc":"709","errMsg":"COM component accessing error"})");
    EXPECT_EQ(in.tellg(), 0);
}

TEST_F(HostSessionTest, FailuresOtherThanHostErrorsAnswer710) {
    EXPECT_EQ(Serve(Framed(R"({"func":"HostVersion"})"), &BindBroken),
              R"({"rc":"710","errMsg":"Internal host error"})");
}

TEST_F(HostSessionTest, ShortBodyIsParsedAsFarAsItGoes) {
    const std::string text = R"({"func":"HostVersion"})";
    std::string input = Framed(text);
    input[0] = 100;
    EXPECT_EQ(
        Serve(input),
        R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

TEST_F(HostSessionTest, HugeLengthPrefixReadsOnlyWhatArrives) {
    EXPECT_EQ(
        Serve("\xFF\xFF\xFF\xFF" + std::string(R"({"func":"HostVersion"})")),
        R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

TEST_F(HostSessionTest, BytesBeyondTheLengthAreNotRead) {
    EXPECT_EQ(
        Serve(Framed(R"({"func":"HostVersion"})") + "garbage"),
        R"({"rc":"0","result":"1.0.0.0","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
    EXPECT_EQ(in.tellg(), 26);
}

TEST_F(HostSessionTest, InputEndingInsideTheLengthGives707) {
    EXPECT_EQ(Serve(std::string("\x02\x00", 2)), kParsingError);
    EXPECT_EQ(Serve(""), kParsingError);
}

TEST_F(HostSessionTest, TheLengthLimitsTheText) {
    EXPECT_EQ(Serve(std::string("\x04\x00\x00\x00nullx", 9)), kEmptySuccess);
    EXPECT_EQ(Serve(std::string("\x02\x00\x00\x00null", 8)), kParsingError);
}

} // namespace

} // namespace norva::test
