// Every protocol command reaches its IZentor call: which members are called, in which order,
// with which arguments, and what becomes the result text.
#include "tests/host/DispatchFixture.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace norva::test {

namespace {

constexpr const char* kCount = "get_NorvaEFTTokensCount";

class CommandTableTest : public DispatchFixture {
protected:
    void SetUp() override {
        zentor.answers.retval = ZTInitPINFailed;
        zentor.answers.text = u"signed";
    }
};

// One row per command form: the params sent, the result text, whether the cancelled flag
// comes back set, and the members called with their arguments, in order.
struct CommandRow {
    const char* func;
    const char* params;
    const char* text;
    bool canceled;
    std::vector<std::string> calls;
};

const std::vector<CommandRow>& CommandRows() {
    static const std::vector<CommandRow> rows = {
        {"HostVersion", "null", "1.0.0.0", false, {}},
        {"FormatToken",
         R"({"SOPassword":"so-1","soPassword":"no"})",
         "18",
         false,
         {R"(FormatToken("so-1"))"}},
        {"FormatToken", "{}", "18", false, {R"(FormatToken(""))"}},
        {"InitPIN",
         R"({"SOPassword":"so","initPin":"1111"})",
         "18",
         false,
         {kCount, R"(InitPIN("1111", "so"))"}},
        {"GenerateKeys", R"({"pin":"1234"})", "18", false, {kCount, R"(GenerateKeys("1234"))"}},
        {"GenerateKeysCustom",
         R"({"pin":"1234","keylength":"2048","keyLength":"1"})",
         "18",
         false,
         {kCount, R"(GenerateKeysCustom("1234", "2048"))"}},
        {"ChangePIN",
         R"({"newPin":"new","oldPin":"old"})",
         "18",
         false,
         {R"(ChangePIN("old", "new"))"}},
        {"ChangePIN", "null", "18", false, {R"(ChangePIN("", ""))"}},
        {"SignData",
         R"({"isConvertToBinary":true,"rawData":"ab","pin":"1234"})",
         "signed",
         false,
         {R"(SignData("1234", VT_BSTR "ab", 1))"}},
        {"SignData", "null", "signed", false, {R"(SignData("", VT_BSTR null, 0))"}},
        {"DecryptAndSignData",
         R"({"pin":"1234","rawData":"cd","isConvertToBinary":1})",
         "signed",
         false,
         {kCount, R"(DecryptAndSignData("1234", VT_BSTR "cd", 1))"}},
        {"SignFile",
         R"({"challenge":"ch","fileName":"C:\\up.txt","pin":"1234"})",
         "signed",
         true,
         {kCount, R"(SignFile("1234", "C:\u005Cup.txt", "ch"))", "get_SignFileCanceled"}},
        {"SignFileData",
         R"({"challenge":"ch","fileName":"f","fileContent":"body","pin":"1"})",
         "signed",
         true,
         {kCount, R"(SignFileData("1", "body", "f", "ch"))", "get_SignFileCanceled"}},
        {"CardType", "null", "3", false, {kCount, "get_CardType"}},
        {"CardType", R"({"newVal":" 2x"})", "", false, {"put_CardType(2)"}},
        {"TokensCount", "null", "5", false, {"get_TokensCount"}},
        {"NorvaEFTTokensCount", "null", "7", false, {kCount}},
        {"CreateTime", "null", "signed", false, {"get_CreateTime"}},
        {"PublicKey", "null", "signed", false, {"get_PublicKey"}},
        {"FullFormatToken",
         R"({"keylength":"x","keyLength":"2048","lastName":"Levi","firstName":"Dana","userID":"77","SOPassword":"so","initPin":"1111"})",
         "signed",
         false,
         {R"(FullFormatToken("1111", "so", "77", "Dana", "Levi", "2048"))"}},
    };
    return rows;
}

TEST_F(CommandTableTest, EveryCommandCallsItsMembersInOrderAndReportsTheirResult) {
    for (const CommandRow& row : CommandRows()) {
        CRecordingZentor recorder;
        recorder.answers = zentor.answers;
        recorder.answers.signFileCanceled = 1;
        recorder.answers.cardType = 3;
        recorder.answers.tokensCount = 5;
        recorder.answers.norvaEFTTokensCount = 7;
        const host::CommandResult result =
            host::DispatchCommand(recorder, row.func, JsonOf(row.params));
        EXPECT_EQ(result.text, row.text) << row.func << " " << row.params;
        EXPECT_EQ(result.signFileCanceled, row.canceled) << row.func << " " << row.params;
        EXPECT_EQ(recorder.calls, row.calls) << row.func << " " << row.params;
    }
}

TEST_F(CommandTableTest, DriversInstalledReportsTheValueWritten) {
    zentor.answers.driversInstalled = 1;
    EXPECT_EQ(Run("DriversInstalled").text, "1");
    zentor.answers.driversInstalled = 0;
    EXPECT_EQ(Run("DriversInstalled").text, "0");
    EXPECT_THAT(Calls(), ElementsAre("get_DriversInstalled", "get_DriversInstalled"));
}

TEST_F(CommandTableTest, FlagIsOnlyReadForTheFileSigningCommands) {
    zentor.answers.signFileCanceled = 1;
    EXPECT_FALSE(Run("SignData", "{}").signFileCanceled);
    EXPECT_FALSE(Run("DecryptAndSignData", "{}").signFileCanceled);
    for (const std::string& call : Calls()) {
        EXPECT_NE(call, "get_SignFileCanceled");
    }
}

TEST_F(CommandTableTest, FlagComparesTheValueReadWithExactlyOne) {
    zentor.answers.signFileCanceled = -1;
    EXPECT_FALSE(Run("SignFile", "{}").signFileCanceled);
    zentor.answers.signFileCanceled = 2;
    EXPECT_FALSE(Run("SignFileData", "{}").signFileCanceled);
    zentor.answers.signFileCanceled = 1;
    EXPECT_TRUE(Run("SignFileData", "{}").signFileCanceled);
}

TEST_F(CommandTableTest, NamesAreComparedExactly) {
    EXPECT_EQ(RaisedCode("hostversion"), 708);
    EXPECT_EQ(RaisedCode("HostVersion "), 708);
    EXPECT_EQ(RaisedCode(""), 708);
    EXPECT_EQ(RaisedCode("cardtype"), 708);
    EXPECT_THAT(Calls(), IsEmpty());
}

// The holder-record names: a get without "params", a put of "newVal" with them.
struct TextProperty {
    const char* func;
    const char* get;
    const char* put;
};

class TextPropertyTest : public DispatchFixture,
                         public ::testing::WithParamInterface<TextProperty> {};

TEST_P(TextPropertyTest, WithoutParamsGetsTheText) {
    zentor.answers.text = u"Dana";
    EXPECT_EQ(Run(GetParam().func).text, "Dana");
    EXPECT_THAT(Calls(), ElementsAre(GetParam().get));
}

TEST_P(TextPropertyTest, WithParamsPutsNewVal) {
    EXPECT_EQ(Run(GetParam().func, R"({"newVal":"Levi","newval":"x"})").text, "");
    EXPECT_THAT(Calls(), ElementsAre(std::string(GetParam().put) + R"(("Levi"))"));
}

TEST_P(TextPropertyTest, WithParamsButNoNewValPutsTheEmptyText) {
    EXPECT_EQ(Run(GetParam().func, "{}").text, "");
    EXPECT_THAT(Calls(), ElementsAre(std::string(GetParam().put) + R"((""))"));
}

INSTANTIATE_TEST_SUITE_P(Names, TextPropertyTest,
                         ::testing::Values(TextProperty{"Company", "get_Company", "put_Company"},
                                           TextProperty{"FirstName", "get_FirstName",
                                                        "put_FirstName"},
                                           TextProperty{"LastName", "get_LastName", "put_LastName"},
                                           TextProperty{"UserCode", "get_UserCode", "put_UserCode"},
                                           TextProperty{"UserID", "get_UserID", "put_UserID"}),
                         [](const auto& info) { return std::string(info.param.func); });

} // namespace

} // namespace norva::test
