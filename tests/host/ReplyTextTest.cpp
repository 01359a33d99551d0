// The reply templates and the byte-by-byte escaping of their text member.
#include "host/HostError.h"
#include "host/ReplyText.h"

#include <gtest/gtest.h>

namespace norva::host {

namespace {

TEST(EscapeReplyTextTest, EscapesTheEightListedBytes) {
    EXPECT_EQ(EscapeReplyText("\b"), "\\b");
    EXPECT_EQ(EscapeReplyText("\t"), "\\t");
    EXPECT_EQ(EscapeReplyText("\n"), "\\n");
    EXPECT_EQ(EscapeReplyText("\f"), "\\f");
    EXPECT_EQ(EscapeReplyText("\r"), "\\r");
    EXPECT_EQ(EscapeReplyText("\""), "\\\"");
    EXPECT_EQ(EscapeReplyText("/"), "\\/");
    EXPECT_EQ(EscapeReplyText("\\"), "\\\\");
}

TEST(EscapeReplyTextTest, LeavesEveryOtherByteAsItIs) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        if (std::string_view("\b\t\n\f\r\"/\\").find(one) != std::string_view::npos) {
            continue;
        }
        EXPECT_EQ(EscapeReplyText(one), one) << byte;
    }
}

TEST(EscapeReplyTextTest, WorksThroughMixedText) {
    EXPECT_EQ(EscapeReplyText(std::string("a\x01/b\"\xD7\x90\\", 9)),
              std::string("a\x01\\/b\\\"\xD7\x90\\\\", 12));
}

TEST(ReplyTemplateTest, SuccessReplyFillsEveryPlaceholder) {
    EXPECT_EQ(FormatSuccessReply({"a/b", 33, -2147483647, true}),
              R"({"rc":"0","result":"a\/b","LastZTError":33,"PKCS11Error":-2147483647,)"
              R"("SignFileCanceled":1})");
}

TEST(ReplyTemplateTest, PercentSignsInTheResultAreNotPlaceholders) {
    EXPECT_EQ(FormatSuccessReply({"%1%", 0, 0, false}),
              R"({"rc":"0","result":"%1%","LastZTError":0,"PKCS11Error":0,"SignFileCanceled":0})");
}

TEST(ReplyTemplateTest, ErrorReplyCarriesTheCodeAndItsMessage) {
    EXPECT_EQ(FormatErrorReply(705),
              R"({"rc":"705","errMsg":"One or more parameters are missing"})");
    EXPECT_EQ(FormatErrorReply(706),
              R"({"rc":"706","errMsg":"One or more parameters are invalid"})");
    EXPECT_EQ(FormatErrorReply(707), R"({"rc":"707","errMsg":"Json message parsing error"})");
    EXPECT_EQ(FormatErrorReply(708), R"({"rc":"708","errMsg":"Unsupported function"})");
    EXPECT_EQ(FormatErrorReply(709), R"({"rc":"709","errMsg":"COM component accessing error"})");
    EXPECT_EQ(FormatErrorReply(710), R"({"rc":"710","errMsg":"Internal host error"})");
}

} // namespace

} // namespace norva::host
