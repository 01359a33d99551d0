// How commands fail: missing "params" before anything else, and 709 at the first failing
// component call with nothing after it.
#include "tests/host/DispatchFixture.h"

#include <gmock/gmock.h>

#include <set>

using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace norva::test {

namespace {

// Every command, with parameters that make it take its longest path.
struct Request {
    const char* func;
    const char* params;
};

constexpr Request kRequests[] = {
    {"HostVersion", "{}"},
    {"FormatToken", R"({"SOPassword":"so"})"},
    {"InitPIN", R"({"initPin":"1","SOPassword":"so"})"},
    {"GenerateKeys", R"({"pin":"1"})"},
    {"GenerateKeysCustom", R"({"pin":"1","keylength":"2048"})"},
    {"ChangePIN", R"({"oldPin":"1","newPin":"2"})"},
    {"SignData", R"({"pin":"1","rawData":"ab","isConvertToBinary":true})"},
    {"SignFile", R"({"pin":"1","fileName":"f","challenge":"c"})"},
    {"SignFileData", R"({"pin":"1","fileContent":"x","fileName":"f","challenge":"c"})"},
    {"DecryptAndSignData", R"({"pin":"1","rawData":"ab"})"},
    {"CardType", "null"},
    {"CardType", R"({"newVal":"1"})"},
    {"Company", "null"},
    {"Company", R"({"newVal":"c"})"},
    {"FirstName", "null"},
    {"FirstName", R"({"newVal":"f"})"},
    {"LastName", "null"},
    {"LastName", R"({"newVal":"l"})"},
    {"UserCode", "null"},
    {"UserCode", R"({"newVal":"u"})"},
    {"UserID", "null"},
    {"UserID", R"({"newVal":"i"})"},
    {"TokensCount", "null"},
    {"NorvaEFTTokensCount", "null"},
    {"CreateTime", "null"},
    {"DriversInstalled", "null"},
    {"PublicKey", "null"},
    {"FullFormatToken", R"({"initPin":"1","SOPassword":"2","userID":"3","firstName":"4",)"
                        R"("lastName":"5","keyLength":"6"})"},
};

const std::set<std::string> kNeedParams = {"FormatToken", "InitPIN", "GenerateKeys",
                                           "GenerateKeysCustom", "FullFormatToken"};

std::string MemberOf(const std::string& call) {
    return call.substr(0, call.find('('));
}

class CommandFailureTest : public DispatchFixture, public ::testing::WithParamInterface<Request> {};

TEST_P(CommandFailureTest, MissingParamsGive705BeforeAnyCallOnlyWhereRequired) {
    const bool needsParams = kNeedParams.count(GetParam().func) != 0;
    EXPECT_EQ(RaisedCode(GetParam().func, "null"), needsParams ? 705 : 0);
    if (needsParams) {
        EXPECT_THAT(Calls(), IsEmpty());
    }
}

TEST_P(CommandFailureTest, EachFailingCallGives709AndStopsTheCommand) {
    Run(GetParam().func, GetParam().params);
    const std::vector<std::string> fullPath = Calls();
    EXPECT_EQ(fullPath.empty(), std::string(GetParam().func) == "HostVersion");
    for (size_t failing = 0; failing < fullPath.size(); ++failing) {
        CRecordingZentor failingZentor;
        failingZentor.answers.failures[MemberOf(fullPath[failing])] = E_FAIL;
        int code = 0;
        try {
            host::DispatchCommand(failingZentor, GetParam().func, JsonOf(GetParam().params));
        } catch (const host::HostFailure& raised) {
            code = raised.code;
        }
        EXPECT_EQ(code, 709) << fullPath[failing];
        const std::vector<std::string> expected(fullPath.begin(), fullPath.begin() + failing + 1);
        EXPECT_THAT(failingZentor.calls, ElementsAreArray(expected)) << fullPath[failing];
    }
}

TEST_P(CommandFailureTest, APositiveHresultIsNotAFailure) {
    Run(GetParam().func, GetParam().params);
    const std::vector<std::string> fullPath = Calls();
    for (const std::string& call : fullPath) {
        CRecordingZentor zentorWithFalse;
        zentorWithFalse.answers.failures[MemberOf(call)] = S_FALSE;
        EXPECT_NO_THROW(
            host::DispatchCommand(zentorWithFalse, GetParam().func, JsonOf(GetParam().params)));
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandFailureTest, ::testing::ValuesIn(kRequests),
                         [](const auto& info) {
                             return std::string(info.param.func) + std::to_string(info.index);
                         });

} // namespace

} // namespace norva::test
