// What the prompt program prints on a terminal: the caller's text (file name, record fields,
// amounts) never brings a control byte to the terminal raw; each one shows as a visible
// stand-in, while the prompt's own line feeds and tabs still lay it out.
#include <gtest/gtest.h>

#include <algorithm>

#include "component/signing/UploadPromptTexts.h"
#include "component/signing/prompt/DisplayText.h"
#include "component/promptwire/PromptRequest.h"

namespace {

using Ranges = std::vector<std::pair<size_t, size_t>>;

struct TerminalCase {
    const char* what;
    std::string text; // Windows-1255
    Ranges supplied;
    std::string shown; // UTF-8
};

TEST(PromptTerminalText, ControlBytesShowAsStandIns) {
    const TerminalCase cases[] = {
        {"an escape sequence in a file name", "A:\nx\x1B[2Jy", {{3, 9}}, "A:\nx\u241B[2Jy"},
        {"a carriage return and line feed of the caller", "n\r\nm\n", {{0, 4}}, "n\u240D\u240Am\n"},
        {"a tab of the caller, a tab of the layout", "a\tb\tc", {{0, 2}}, "a\u2409b\tc"},
        {"NUL, BEL, backspace and DEL",
         std::string("\x00\x07\x08\x7F", 4),
         {{0, 4}},
         "\u2400\u2407\u2408\u2421"},
        {"C1 controls from bytes Windows-1255 leaves undefined",
         "\x9D\x81z\x9F",
         {{0, 1}},
         "\\x9D\\x81z\\x9F"},
        {"control bytes outside the caller's text other than line feed and tab",
         "a\x1B\rb\n",
         {},
         "a\u241B\u240Db\n"},
        {"Hebrew letters and printable text pass",
         "\xF9\xE5\xF8\xE4 12,345.67",
         {{0, 14}},
         "\u05E9\u05D5\u05E8\u05D4 12,345.67"},
        {"ranges that end where the next begins", "\x1B\x1B\n", {{0, 1}, {1, 2}}, "\u241B\u241B\n"},
    };
    for (const TerminalCase& c : cases) {
        SCOPED_TRACE(c.what);
        UploadPromptMessage message;
        message.caption = "\x1B"
                          "c";
        message.text = c.text;
        message.supplied = c.supplied;
        message.okWord = "OK";
        const DisplayPrompt shown = ForTerminal(message);
        EXPECT_EQ(shown.text, c.shown);
        EXPECT_EQ(shown.caption, "\u241B"
                                 "c");
    }
}

// Only the prompt's own line feeds, and tabs, stay control bytes.
size_t LayoutBytes(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
    }));
}

TEST(PromptTerminalText, TheRealPromptsMarkEverythingTheCallerSupplied) {
    // A shortest detail record: its amount ends with the CR of its line end.
    const std::string hostile = "5\x1B[2J\x1B"
                                "1\x07"
                                "0000000000000000000001050\r\n";
    const std::string clean = "5123456781234567890AB000000000001050\r\n";
    const std::string name = "pay\x1B]0;evil\x07\n\r.txt";

    CConfirmationText hostileText(name);
    hostileText.AddDetail(hostile, "10.5\r");
    CConfirmationText cleanText("pay.txt");
    cleanText.AddDetail(clean, "10.50");

    const std::pair<UploadPromptMessage, UploadPromptMessage> prompts[] = {
        {hostileText.Prompt(0x040D), cleanText.Prompt(0x040D)},
        {ErrorPrompt(name, 3, 32, 0x040D), ErrorPrompt("pay.txt", 3, 32, 0x040D)},
    };
    for (const auto& [withControls, without] : prompts) {
        UploadPromptMessage sent;
        ASSERT_TRUE(DecodePromptRequest(EncodePromptRequest(withControls), sent));
        const std::string shown = ForTerminal(sent).text;
        EXPECT_EQ(LayoutBytes(shown), LayoutBytes(ForTerminal(without).text)) << shown;
        EXPECT_EQ(shown.find('\x1B'), std::string::npos);
        EXPECT_EQ(shown.find('\r'), std::string::npos);
        EXPECT_NE(shown.find("\u241B]0;evil\u2407\u240A\u240D.txt"), std::string::npos) << shown;
    }
}

TEST(PromptTerminalText, RangesOutsideTheTextOrOutOfOrderAreNoRequest) {
    const Ranges refused[] = {{{0, 6}}, {{3, 2}}, {{2, 4}, {1, 3}}};
    for (const Ranges& ranges : refused) {
        UploadPromptMessage message;
        message.text = "abcde";
        message.supplied = ranges;
        UploadPromptMessage decoded;
        EXPECT_FALSE(DecodePromptRequest(EncodePromptRequest(message), decoded));
    }
    UploadPromptMessage message;
    message.text = "abcde";
    message.supplied = {{0, 2}, {2, 5}};
    UploadPromptMessage decoded;
    ASSERT_TRUE(DecodePromptRequest(EncodePromptRequest(message), decoded));
    EXPECT_EQ(decoded.supplied, message.supplied);
}

} // namespace
