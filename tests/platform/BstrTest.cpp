// BSTR allocation: the length prefix, embedded zeros, odd byte counts and reallocation.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using norva::test::TextOf;

TEST(Bstr, LengthCountsEmbeddedZeros) {
    const OLECHAR text[] = {'a', 0, 'b', 0, 'c'};
    const OwnedBstr value(SysAllocStringLen(text, 5));
    ASSERT_NE(value.Get(), nullptr);
    EXPECT_EQ(SysStringLen(value.Get()), 5u);
    EXPECT_EQ(SysStringByteLen(value.Get()), 10u);
    EXPECT_EQ(std::memcmp(value.Get(), text, sizeof(text)), 0);
    EXPECT_EQ(value.Get()[5], 0);
}

TEST(Bstr, ByteCountIsStoredBeforeTheText) {
    const OwnedBstr value(SysAllocString(OLESTR("hello")));
    DWORD prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const BYTE*>(value.Get()) - sizeof(DWORD),
                sizeof(prefix));
    EXPECT_EQ(prefix, 10u);
    EXPECT_EQ(SysStringLen(value.Get()), 5u);
}

TEST(Bstr, ByteLengthKeepsAnOddCount) {
    const OwnedBstr value(SysAllocStringByteLen("abc", 3));
    ASSERT_NE(value.Get(), nullptr);
    EXPECT_EQ(SysStringByteLen(value.Get()), 3u);
    EXPECT_EQ(SysStringLen(value.Get()), 1u);
    const auto* bytes = reinterpret_cast<const char*>(value.Get());
    EXPECT_EQ(std::memcmp(bytes, "abc", 3), 0);
    EXPECT_EQ(bytes[3], 0);
}

TEST(Bstr, ByteLengthKeepsEveryByteValue) {
    char bytes[256];
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<char>(i);
    }
    const OwnedBstr value(SysAllocStringByteLen(bytes, 255));
    ASSERT_NE(value.Get(), nullptr);
    EXPECT_EQ(SysStringByteLen(value.Get()), 255u);
    EXPECT_EQ(std::memcmp(value.Get(), bytes, 255), 0);
}

TEST(Bstr, NullSourceAllocatesTheRequestedLength) {
    const OwnedBstr value(SysAllocStringLen(nullptr, 4));
    ASSERT_NE(value.Get(), nullptr);
    EXPECT_EQ(SysStringLen(value.Get()), 4u);
    EXPECT_EQ(value.Get()[4], 0);
    const OwnedBstr bytes(SysAllocStringByteLen(nullptr, 7));
    ASSERT_NE(bytes.Get(), nullptr);
    EXPECT_EQ(SysStringByteLen(bytes.Get()), 7u);
}

TEST(Bstr, NullStringsAreEmptyAndFreeable) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, EmptyStringIsNotNull) {
    const OwnedBstr value(SysAllocString(OLESTR("")));
    ASSERT_NE(value.Get(), nullptr);
    EXPECT_EQ(SysStringLen(value.Get()), 0u);
    EXPECT_EQ(value.Get()[0], 0);
}

TEST(Bstr, ReallocationReplacesTheText) {
    OwnedBstr value(SysAllocString(OLESTR("short")));
    ASSERT_TRUE(SysReAllocString(value.InOut(), OLESTR("a longer text")));
    EXPECT_EQ(TextOf(value.Get()), u"a longer text");
    ASSERT_TRUE(SysReAllocStringLen(value.InOut(), OLESTR("xy\0z"), 4));
    EXPECT_EQ(TextOf(value.Get()), std::u16string(u"xy\0z", 4));
}

TEST(Bstr, ReallocationMayTakeItsOwnText) {
    OwnedBstr value(SysAllocString(OLESTR("abcdef")));
    ASSERT_TRUE(SysReAllocStringLen(value.InOut(), value.Get() + 2, 3));
    EXPECT_EQ(TextOf(value.Get()), u"cde");
}
