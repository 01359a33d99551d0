// What the component receives for each kind of parameter, and the error reply for values
// that cannot be converted.
#include "tests/host/DispatchFixture.h"

#include <gmock/gmock.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace norva::test {

namespace {

// Each byte of text widened on its own through the ANSI code page.
std::string AnsiWidenedBytes(const std::string& bytes) {
    std::string quoted = "\"";
    for (const char byte : bytes) {
        OLECHAR unit = 0;
        EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, &byte, 1, &unit, 1), 1);
        BSTR one = SysAllocStringLen(&unit, 1);
        const std::string single = Quoted(one);
        SysFreeString(one);
        quoted += single.substr(1, single.size() - 2);
    }
    return quoted + "\"";
}

class TextParamTest : public DispatchFixture {
protected:
    std::string PassedPin(const std::string& pinJson) {
        zentor.calls.clear();
        Run("GenerateKeys", R"({"pin":)" + pinJson + "}");
        return Calls().empty() ? "" : Calls().back();
    }
};

TEST_F(TextParamTest, Utf8IsDecodedToUtf16) {
    EXPECT_EQ(PassedPin("\"\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D\""),
              R"(GenerateKeys("\u05E9\u05DC\u05D5\u05DD"))");
}

TEST_F(TextParamTest, CharactersAboveBmpBecomeSurrogatePairs) {
    EXPECT_EQ(PassedPin("\"a\xF0\x9F\x98\x80\""), R"(GenerateKeys("a\uD83D\uDE00"))");
    EXPECT_EQ(PassedPin(R"("\ud83d\ude00")"), R"(GenerateKeys("\uD83D\uDE00"))");
}

TEST_F(TextParamTest, EmbeddedZeroCharactersAreKept) {
    EXPECT_EQ(PassedPin(R"("a\u0000b")"), R"(GenerateKeys("a\u0000b"))");
}

TEST_F(TextParamTest, BooleansAndNullBecomeTheirTexts) {
    EXPECT_EQ(PassedPin("true"), R"(GenerateKeys("true"))");
    EXPECT_EQ(PassedPin("false"), R"(GenerateKeys("false"))");
    EXPECT_EQ(PassedPin("null"), R"(GenerateKeys(""))");
}

TEST_F(TextParamTest, WrongJsonTypesGive706BeforeAnyCall) {
    for (const char* value : {"12", "1.5", "[\"1\"]", "{\"a\":1}"}) {
        EXPECT_EQ(RaisedCode("GenerateKeys", std::string(R"({"pin":)") + value + "}"), 706)
            << value;
    }
    EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(TextParamTest, InvalidUtf8Gives706BeforeAnyCall) {
    for (const char* value : {"\"\xFF\"", "\"a\xC3\"", "\"\xC0\xAF\"", "\"\xED\xA0\x80\""}) {
        EXPECT_EQ(RaisedCode("InitPIN", std::string(R"({"initPin":)") + value + "}"), 706);
    }
    // A lone surrogate escape decodes to bytes that are not UTF-8 either.
    EXPECT_EQ(RaisedCode("InitPIN", R"({"initPin":"\udc00"})"), 706);
    EXPECT_THAT(Calls(), IsEmpty());
}

class RawDataParamTest : public DispatchFixture {
protected:
    std::string PassedRawData(const std::string& rawJson) {
        zentor.calls.clear();
        Run("SignData", R"({"rawData":)" + rawJson + "}");
        return Calls().empty() ? "" : Calls().back();
    }
};

TEST_F(RawDataParamTest, BytesAreWidenedOneByOneThroughTheAnsiCodePage) {
    // "é" arrives as the two UTF-8 bytes C3 A9 and reaches the component as two characters.
    const std::string bytes = "A\xC3\xA9\xE0";
    EXPECT_EQ(PassedRawData("\"" + bytes + "\""),
              R"(SignData("", VT_BSTR )" + AnsiWidenedBytes(bytes) + ", 0)");
}

TEST_F(RawDataParamTest, TextStopsAtTheFirstZeroByte) {
    EXPECT_EQ(PassedRawData(R"("ab\u0000cd")"), R"(SignData("", VT_BSTR "ab", 0))");
}

TEST_F(RawDataParamTest, AbsentOrNullGiveANullBstrAndEmptyGivesAnEmptyOne) {
    EXPECT_EQ(PassedRawData("null"), R"(SignData("", VT_BSTR null, 0))");
    EXPECT_EQ(PassedRawData(R"("")"), R"(SignData("", VT_BSTR "", 0))");
}

TEST_F(RawDataParamTest, AnythingButAStringGives706) {
    for (const char* value : {"12", "true", "[]", "{}"}) {
        EXPECT_EQ(RaisedCode("SignData", std::string(R"({"rawData":)") + value + "}"), 706);
    }
    EXPECT_THAT(Calls(), IsEmpty());
}

class FlagParamTest : public DispatchFixture {
protected:
    std::string PassedFlag(const std::string& flagJson) {
        zentor.calls.clear();
        Run("SignData", R"({"isConvertToBinary":)" + flagJson + "}");
        return Calls().empty() ? "" : Calls().back();
    }
};

TEST_F(FlagParamTest, TrueAndNonZeroNumbersPassOneNotMinusOne) {
    EXPECT_EQ(PassedFlag("true"), R"(SignData("", VT_BSTR null, 1))");
    EXPECT_EQ(PassedFlag("1"), R"(SignData("", VT_BSTR null, 1))");
    EXPECT_EQ(PassedFlag("-3"), R"(SignData("", VT_BSTR null, 1))");
    EXPECT_EQ(PassedFlag("0.5"), R"(SignData("", VT_BSTR null, 1))");
}

TEST_F(FlagParamTest, FalseZeroAndNullPassZero) {
    EXPECT_EQ(PassedFlag("false"), R"(SignData("", VT_BSTR null, 0))");
    EXPECT_EQ(PassedFlag("0"), R"(SignData("", VT_BSTR null, 0))");
    EXPECT_EQ(PassedFlag("null"), R"(SignData("", VT_BSTR null, 0))");
}

TEST_F(FlagParamTest, StringsArraysAndObjectsGive706) {
    for (const char* value : {R"("true")", "[1]", "{}"}) {
        EXPECT_EQ(RaisedCode("SignData", std::string(R"({"isConvertToBinary":)") + value + "}"),
                  706);
    }
    EXPECT_THAT(Calls(), IsEmpty());
}

class CardTypeParamTest : public DispatchFixture {
protected:
    std::string PutOf(const std::string& newValJson) {
        zentor.calls.clear();
        Run("CardType", R"({"newVal":)" + newValJson + "}");
        return Calls().empty() ? "" : Calls().back();
    }
    int CodeOf(const std::string& newValJson) {
        return RaisedCode("CardType", R"({"newVal":)" + newValJson + "}");
    }
};

TEST_F(CardTypeParamTest, LeadingBlanksAndSignAreTakenAndTheRestIgnored) {
    EXPECT_EQ(PutOf(R"(" 2x")"), "put_CardType(2)");
    EXPECT_EQ(PutOf(R"("\t\n 3")"), "put_CardType(3)");
    EXPECT_EQ(PutOf(R"("+1 ")"), "put_CardType(1)");
    EXPECT_EQ(PutOf(R"("-7")"), "put_CardType(-7)");
    EXPECT_EQ(PutOf(R"("0012")"), "put_CardType(12)");
    EXPECT_EQ(PutOf(R"("3\u0000junk")"), "put_CardType(3)");
}

TEST_F(CardTypeParamTest, TheWhole32BitRangeIsAccepted) {
    EXPECT_EQ(PutOf(R"("2147483647")"), "put_CardType(2147483647)");
    EXPECT_EQ(PutOf(R"("-2147483648")"), "put_CardType(-2147483648)");
}

TEST_F(CardTypeParamTest, NoDigitsGive706) {
    for (const char* value :
         {R"("")", R"("x2")", R"("  ")", R"("-")", R"("+ 2")", R"("\u00002")"}) {
        EXPECT_EQ(CodeOf(value), 706) << value;
    }
    EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(CardTypeParamTest, OutOfRangeGives706) {
    EXPECT_EQ(CodeOf(R"("2147483648")"), 706);
    EXPECT_EQ(CodeOf(R"("-2147483649")"), 706);
    EXPECT_EQ(CodeOf(R"("99999999999999999999999")"), 706);
    EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(CardTypeParamTest, AbsentOrNonStringNewValGives706) {
    EXPECT_EQ(RaisedCode("CardType", "{}"), 706);
    EXPECT_EQ(CodeOf("2"), 706);
    EXPECT_EQ(CodeOf("null"), 706);
    EXPECT_EQ(CodeOf("true"), 706);
    EXPECT_THAT(Calls(), IsEmpty());
}

TEST(ParamOrderTest, ParametersAreTakenBeforeTheTokenCountIsRead) {
    CRecordingZentor zentor;
    EXPECT_THROW(host::DispatchCommand(zentor, "InitPIN", JsonOf(R"({"initPin":[1]})")),
                 host::HostFailure);
    EXPECT_THROW(host::DispatchCommand(zentor, "SignFile", JsonOf(R"({"challenge":5})")),
                 host::HostFailure);
    EXPECT_THAT(zentor.calls, IsEmpty());
}

class ResultTextTest : public DispatchFixture {};

TEST_F(ResultTextTest, BstrResultsAreEncodedAsUtf8) {
    zentor.answers.text = u"\u05D0b\U0001F600";
    EXPECT_EQ(Run("PublicKey").text, "\xD7\x90"
                                     "b"
                                     "\xF0\x9F\x98\x80");
}

TEST_F(ResultTextTest, BstrResultsEndAtTheirFirstZeroCharacter) {
    zentor.answers.text = std::u16string(u"ab\0cd", 5);
    EXPECT_EQ(Run("FirstName").text, "ab");
    zentor.answers.text = std::u16string(u"\0cd", 3);
    EXPECT_EQ(Run("FirstName").text, "");
}

TEST_F(ResultTextTest, NegativeNumbersKeepTheirSign) {
    zentor.answers.cardType = -4;
    EXPECT_EQ(Run("CardType").text, "-4");
    zentor.answers.retval = static_cast<TZentorError>(-1);
    EXPECT_EQ(Run("ChangePIN").text, "-1");
}

} // namespace

} // namespace norva::test
