// The hexadecimal text form: encoding, decoding, and refusal of what is not hexadecimal.
#include <gtest/gtest.h>

#include "component/signing/HexText.h"

namespace {

TEST(HexText, EncodesUpperCasePairs) {
    const uint8_t bytes[] = {0x00, 0x0A, 0x1B, 0x7F, 0x80, 0xFF};
    EXPECT_EQ(EncodeHexText(bytes, sizeof bytes), "000A1B7F80FF");
    EXPECT_EQ(EncodeHexText(bytes, 0), "");
}

TEST(HexText, DecodesPairsAndRefusesOtherCharacters) {
    struct Case {
        const char* text;
        bool accepted;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"0A1b", true, {0x0A, 0x1B}},
        {"AB7", true, {0xAB}}, // an odd last digit is ignored
        {"", true, {}},
        {"7", true, {}},
        {"ffFF00", true, {0xFF, 0xFF, 0x00}},
        {"0123456789abcdef", true, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}},
        {"0G", false, {}},
        {"AB Z", false, {}},
        {"ABZ", true, {0xAB}}, // the odd last character is not read, digit or not
        {"0A1B\n", true, {0x0A, 0x1B}},
        {"0A1\n", false, {}}, // inside a pair it is read
        {"0x12", false, {}},
        {"12\n3", false, {}},
        {"\n", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<uint8_t> bytes = {0x55};
        EXPECT_EQ(DecodeHexText(c.text, bytes), c.accepted);
        EXPECT_EQ(bytes, c.bytes);
    }
}

} // namespace
