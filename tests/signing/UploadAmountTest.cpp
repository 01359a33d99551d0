// The amount text of a detail record.
#include <gtest/gtest.h>

#include "component/signing/UploadAmount.h"

namespace {

TEST(UploadAmount, GroupsTheMajorPartAndKeepsTwoMinorDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"000000001234567", "12,345.67"},
        {"000000000000123", "1.23"},
        {"000000000000000", "0.00"},
        {"000000123456789", "1,234,567.89"},
        {"000000000123456", "1,234.56"},
        {"123456789012345", "1,234,567,890,123.45"},
        // Nothing is tested for being a digit: what stands there is shown.
        {"00000000000 1 2", " 1. 2"},
        {"0000000000ABCDE", "ABC.DE"},
    };
    for (const auto& [amount, text] : cases) {
        SCOPED_TRACE(amount);
        EXPECT_EQ(AmountText(amount), text);
    }
}

} // namespace
