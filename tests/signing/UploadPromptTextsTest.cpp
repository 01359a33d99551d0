// The two prompts, byte for byte in Windows-1255, with the button words of both languages.
#include <gtest/gtest.h>

#include <stdexcept>

#include "component/signing/UploadPromptTexts.h"

namespace {

// Windows-1255 from UTF-8 text of ASCII and Hebrew letters (U+05D0-U+05EA are E0-FA).
std::string Hebrew(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            continue;
        }
        const auto next = static_cast<unsigned char>(utf8.at(++i));
        const int code = ((byte & 0x1F) << 6) | (next & 0x3F);
        if (byte >= 0xE0 || code < 0x05D0 || code > 0x05EA) {
            throw std::invalid_argument("not a Hebrew letter");
        }
        out += static_cast<char>(0xE0 + (code - 0x05D0));
    }
    return out;
}

const std::string kQuote = "\"";

TEST(UploadPromptTexts, ConfirmationIsByteExactInBothLanguages) {
    struct Case {
        LANGID language;
        std::string okWord;
        std::string cancelWord;
    };
    const Case cases[] = {
        {0x040D, Hebrew("אישור"), Hebrew("ביטול")},
        {MAKELANGID(LANG_HEBREW, 0), Hebrew("אישור"), Hebrew("ביטול")},
        {0x0409, "OK", "Cancel"},
        {0x0407, "OK", "Cancel"},
        {0, "OK", "Cancel"},
        // Only the low ten bits name the language.
        {0x040D | 0x0400, Hebrew("אישור"), Hebrew("ביטול")},
    };
    const std::string record = "512345678" + std::string(12, ' ') + "000000000001050";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language);
        CConfirmationText text("C:\\upload\\pay.txt");
        text.AddDetail(record, "10.50");
        text.AddDetail("598765432", "1,234.00");
        const UploadPromptMessage prompt = text.Prompt(c.language);

        const std::string expected =
            Hebrew("לצורכי אבטחת מידע הינך נידרש\\ת לאשר כי הקובץ שבחרת להעלות לNorva הוא :\n") +
            "C:\\upload\\pay.txt" + Hebrew("\nסכום עבור מוסד ") + "12345-67-8" + Hebrew(" הינו ") +
            "10.50" + Hebrew("\nסכום עבור מוסד ") + "98765-43-2" + Hebrew(" הינו ") + "1,234.00" +
            Hebrew("\nלביצוע החתימה הדיגיטלית, נא להקיש ") + kQuote + c.okWord + kQuote +
            Hebrew(" אחרת יש להקיש ") + kQuote + c.cancelWord + kQuote + ".";
        EXPECT_EQ(prompt.text, expected);
        EXPECT_EQ(prompt.caption, Hebrew("אישור שם קובץ להעלאה לNorva"));
        EXPECT_EQ(prompt.style, 0x00180031u);
        EXPECT_EQ(prompt.language, c.language);
        EXPECT_EQ(prompt.okWord, c.okWord);
        EXPECT_EQ(prompt.cancelWord, c.cancelWord);
    }
}

TEST(UploadPromptTexts, ErrorPromptIsByteExact) {
    for (const LANGID language : {LANGID(0x040D), LANGID(0x0409)}) {
        SCOPED_TRACE(language);
        const UploadPromptMessage prompt = ErrorPrompt("pay.txt", 3, 32, language);
        EXPECT_EQ(prompt.text, "pay.txt" + Hebrew("\nשורה : ") + "3" +
                                   Hebrew("\tנתונים לא תקנים החל מפוזיציה :") + "32");
        EXPECT_EQ(prompt.caption, Hebrew("שגיא בקובץ להעלאה לNorva"));
        EXPECT_EQ(prompt.style, 0x00180030u);
        // The error prompt leaves its one button's language to the system.
        EXPECT_EQ(prompt.language, 0);
        EXPECT_EQ(prompt.cancelWord, "");
    }
    EXPECT_EQ(ErrorPrompt("a", 1, 101, 0x040D).okWord, Hebrew("אישור"));
    EXPECT_EQ(ErrorPrompt("a", 1, 101, 0x0409).okWord, "OK");
}

} // namespace
