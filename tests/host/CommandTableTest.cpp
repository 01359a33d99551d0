// Every protocol command reaches its IZentor call: which members are called, in which order,
// with which arguments, and what becomes the result text.
#include "tests/host/DispatchFixture.h"

#include <gmock/gmock.h>

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

TEST_F(CommandTableTest, HostVersionAnswersWithoutTouchingTheComponent) {
    EXPECT_EQ(Run("HostVersion").text, "1.0.0.0");
    EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(CommandTableTest, FormatTokenPassesTheSoPasswordAndReportsTheRetval) {
    EXPECT_EQ(Run("FormatToken", R"({"SOPassword":"so-1","soPassword":"no"})").text, "18");
    EXPECT_THAT(Calls(), ElementsAre(R"(FormatToken("so-1"))"));
}

TEST_F(CommandTableTest, FormatTokenWithEmptyParamsPassesAnEmptyPassword) {
    Run("FormatToken", "{}");
    EXPECT_THAT(Calls(), ElementsAre(R"(FormatToken(""))"));
}

TEST_F(CommandTableTest, InitPinReadsTheTokenCountThenPassesNewPinAndSoPassword) {
    EXPECT_EQ(Run("InitPIN", R"({"SOPassword":"so","initPin":"1111"})").text, "18");
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(InitPIN("1111", "so"))"));
}

TEST_F(CommandTableTest, GenerateKeysReadsTheTokenCountThenPassesThePin) {
    EXPECT_EQ(Run("GenerateKeys", R"({"pin":"1234"})").text, "18");
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(GenerateKeys("1234"))"));
}

TEST_F(CommandTableTest, GenerateKeysCustomTakesTheLowerCaseKeylength) {
    EXPECT_EQ(
        Run("GenerateKeysCustom", R"({"pin":"1234","keylength":"2048","keyLength":"1"})").text,
        "18");
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(GenerateKeysCustom("1234", "2048"))"));
}

TEST_F(CommandTableTest, ChangePinPassesOldThenNewPinWithoutTokenCount) {
    EXPECT_EQ(Run("ChangePIN", R"({"newPin":"new","oldPin":"old"})").text, "18");
    EXPECT_THAT(Calls(), ElementsAre(R"(ChangePIN("old", "new"))"));
}

TEST_F(CommandTableTest, ChangePinWithoutParamsPassesTwoEmptyTexts) {
    Run("ChangePIN");
    EXPECT_THAT(Calls(), ElementsAre(R"(ChangePIN("", ""))"));
}

TEST_F(CommandTableTest, SignDataPassesPinRawDataAndFlagWithoutTokenCount) {
    const auto result =
        Run("SignData", R"({"isConvertToBinary":true,"rawData":"ab","pin":"1234"})");
    EXPECT_EQ(result.text, "signed");
    EXPECT_FALSE(result.signFileCanceled);
    EXPECT_THAT(Calls(), ElementsAre(R"(SignData("1234", VT_BSTR "ab", 1))"));
}

TEST_F(CommandTableTest, SignDataWithoutParamsPassesNullRawDataAndZeroFlag) {
    Run("SignData");
    EXPECT_THAT(Calls(), ElementsAre(R"(SignData("", VT_BSTR null, 0))"));
}

TEST_F(CommandTableTest, DecryptAndSignDataReadsTheTokenCountThenSigns) {
    const auto result =
        Run("DecryptAndSignData", R"({"pin":"1234","rawData":"cd","isConvertToBinary":1})");
    EXPECT_EQ(result.text, "signed");
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(DecryptAndSignData("1234", VT_BSTR "cd", 1))"));
}

TEST_F(CommandTableTest, SignFilePassesItsTextsThenReadsTheCancelledFlag) {
    zentor.answers.signFileCanceled = 1;
    const auto result =
        Run("SignFile", R"({"challenge":"ch","fileName":"C:\\up.txt","pin":"1234"})");
    EXPECT_EQ(result.text, "signed");
    EXPECT_TRUE(result.signFileCanceled);
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(SignFile("1234", "C:\u005Cup.txt", "ch"))",
                                     "get_SignFileCanceled"));
}

TEST_F(CommandTableTest, SignFileDataPassesItsFourTextsThenReadsTheCancelledFlag) {
    const auto result =
        Run("SignFileData", R"({"challenge":"ch","fileName":"f","fileContent":"body","pin":"1"})");
    EXPECT_EQ(result.text, "signed");
    EXPECT_FALSE(result.signFileCanceled);
    EXPECT_THAT(Calls(), ElementsAre(kCount, R"(SignFileData("1", "body", "f", "ch"))",
                                     "get_SignFileCanceled"));
}

TEST_F(CommandTableTest, CardTypeWithoutParamsReadsTheTokenCountThenGets) {
    zentor.answers.cardType = 3;
    EXPECT_EQ(Run("CardType").text, "3");
    EXPECT_THAT(Calls(), ElementsAre(kCount, "get_CardType"));
}

TEST_F(CommandTableTest, CardTypeWithParamsPutsTheParsedNumberWithoutTokenCount) {
    EXPECT_EQ(Run("CardType", R"({"newVal":" 2x"})").text, "");
    EXPECT_THAT(Calls(), ElementsAre("put_CardType(2)"));
}

TEST_F(CommandTableTest, TokensCountReportsAllTokens) {
    zentor.answers.tokensCount = 5;
    zentor.answers.norvaEFTTokensCount = 7;
    EXPECT_EQ(Run("TokensCount").text, "5");
    EXPECT_THAT(Calls(), ElementsAre("get_TokensCount"));
}

TEST_F(CommandTableTest, NorvaEftTokensCountReportsServiceTokens) {
    zentor.answers.tokensCount = 5;
    zentor.answers.norvaEFTTokensCount = 7;
    EXPECT_EQ(Run("NorvaEFTTokensCount").text, "7");
    EXPECT_THAT(Calls(), ElementsAre(kCount));
}

TEST_F(CommandTableTest, CreateTimeReturnsTheText) {
    EXPECT_EQ(Run("CreateTime").text, "signed");
    EXPECT_THAT(Calls(), ElementsAre("get_CreateTime"));
}

TEST_F(CommandTableTest, PublicKeyReturnsTheText) {
    EXPECT_EQ(Run("PublicKey").text, "signed");
    EXPECT_THAT(Calls(), ElementsAre("get_PublicKey"));
}

TEST_F(CommandTableTest, DriversInstalledReportsTheValueWritten) {
    zentor.answers.driversInstalled = 1;
    EXPECT_EQ(Run("DriversInstalled").text, "1");
    zentor.answers.driversInstalled = 0;
    EXPECT_EQ(Run("DriversInstalled").text, "0");
    EXPECT_THAT(Calls(), ElementsAre("get_DriversInstalled", "get_DriversInstalled"));
}

TEST_F(CommandTableTest, FullFormatTokenPassesSixTextsWithTheUpperCaseKeyLength) {
    const auto result = Run(
        "FullFormatToken",
        R"({"keylength":"x","keyLength":"2048","lastName":"Levi","firstName":"Dana","userID":"77","SOPassword":"so","initPin":"1111"})");
    EXPECT_EQ(result.text, "signed");
    EXPECT_THAT(Calls(),
                ElementsAre(R"(FullFormatToken("1111", "so", "77", "Dana", "Levi", "2048"))"));
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
