// What the component sends to the prompt program and reads back.
#include <gtest/gtest.h>

#include "component/promptwire/PromptRequest.h"

namespace {

UploadPromptMessage Sample() {
    UploadPromptMessage message;
    message.caption = "\xF9\xE2\xE9\xE0 Norva";
    message.text = "a.txt\n\xF9\xE5\xF8\xE4 : 1\t:101";
    message.style = 0x00180031;
    message.okWord = "\xE0\xE9\xF9\xE5\xF8";
    message.cancelWord = "\xE1\xE9\xE8\xE5\xEC";
    return message;
}

TEST(PromptRequest, RoundTripsAndRefusesAnythingButOneWholeRequest) {
    const std::string bytes = EncodePromptRequest(Sample());
    UploadPromptMessage decoded;
    ASSERT_TRUE(DecodePromptRequest(bytes, decoded));
    EXPECT_EQ(decoded.caption, Sample().caption);
    EXPECT_EQ(decoded.text, Sample().text);
    EXPECT_EQ(decoded.style, Sample().style);
    EXPECT_EQ(decoded.okWord, Sample().okWord);
    EXPECT_EQ(decoded.cancelWord, Sample().cancelWord);

    const std::string refused[] = {
        "",
        bytes.substr(0, bytes.size() - 1),
        bytes + "x",
        bytes.substr(0, 3),
        std::string("\x31\x00\x18\x00\xFF\xFF\xFF\x7F", 8) + "caption",
    };
    for (const std::string& request : refused) {
        SCOPED_TRACE(request.size());
        EXPECT_FALSE(DecodePromptRequest(request, decoded));
    }
}

TEST(PromptRequest, OnlyTheWholeAnswerCounts) {
    const std::pair<std::string, int> answers[] = {
        {EncodePromptAnswer(IDOK), IDOK},
        {EncodePromptAnswer(IDCANCEL), IDCANCEL},
        {"1", 0},
        {"1\n1\n", 0},
        {"", 0},
        {"11\n", 0},
        {"0\n", 0},
    };
    for (const auto& [bytes, answer] : answers) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(DecodePromptAnswer(bytes), answer);
    }
}

} // namespace
