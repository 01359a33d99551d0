// BSTR allocation: the length prefix, embedded zeros, odd byte counts and reallocation.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using norva::test::Bstr;
using norva::test::TextOf;

TEST(Bstr, LengthCountsEmbeddedZeros) {
    const OLECHAR text[] = {'a', 0, 'b', 0, 'c'};
    const Bstr value(SysAllocStringLen(text, 5));
    ASSERT_NE(value.get(), nullptr);
    EXPECT_EQ(SysStringLen(value.get()), 5u);
    EXPECT_EQ(SysStringByteLen(value.get()), 10u);
    EXPECT_EQ(std::memcmp(value.get(), text, sizeof(text)), 0);
    EXPECT_EQ(value.get()[5], 0);
}

TEST(Bstr, ByteCountIsStoredBeforeTheText) {
    const Bstr value(SysAllocString(OLESTR("hello")));
    DWORD prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const BYTE*>(value.get()) - sizeof(DWORD),
                sizeof(prefix));
    EXPECT_EQ(prefix, 10u);
    EXPECT_EQ(SysStringLen(value.get()), 5u);
}

TEST(Bstr, ByteLengthKeepsAnOddCount) {
    const Bstr value(SysAllocStringByteLen("abc", 3));
    ASSERT_NE(value.get(), nullptr);
    EXPECT_EQ(SysStringByteLen(value.get()), 3u);
    EXPECT_EQ(SysStringLen(value.get()), 1u);
    const auto* bytes = reinterpret_cast<const char*>(value.get());
    EXPECT_EQ(std::memcmp(bytes, "abc", 3), 0);
    EXPECT_EQ(bytes[3], 0);
}

TEST(Bstr, ByteLengthKeepsEveryByteValue) {
    char bytes[256];
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<char>(i);
    }
    const Bstr value(SysAllocStringByteLen(bytes, 255));
    ASSERT_NE(value.get(), nullptr);
    EXPECT_EQ(SysStringByteLen(value.get()), 255u);
    EXPECT_EQ(std::memcmp(value.get(), bytes, 255), 0);
}

TEST(Bstr, NullSourceAllocatesTheRequestedLength) {
    const Bstr value(SysAllocStringLen(nullptr, 4));
    ASSERT_NE(value.get(), nullptr);
    EXPECT_EQ(SysStringLen(value.get()), 4u);
    EXPECT_EQ(value.get()[4], 0);
    const Bstr bytes(SysAllocStringByteLen(nullptr, 7));
    ASSERT_NE(bytes.get(), nullptr);
    EXPECT_EQ(SysStringByteLen(bytes.get()), 7u);
}

TEST(Bstr, NullStringsAreEmptyAndFreeable) {
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, EmptyStringIsNotNull) {
    const Bstr value(SysAllocString(OLESTR("")));
    ASSERT_NE(value.get(), nullptr);
    EXPECT_EQ(SysStringLen(value.get()), 0u);
    EXPECT_EQ(value.get()[0], 0);
}

TEST(Bstr, ReallocationReplacesTheText) {
    Bstr value(SysAllocString(OLESTR("short")));
    ASSERT_TRUE(SysReAllocString(value.out(), OLESTR("a longer text")));
    EXPECT_EQ(TextOf(value.get()), u"a longer text");
    ASSERT_TRUE(SysReAllocStringLen(value.out(), OLESTR("xy\0z"), 4));
    EXPECT_EQ(TextOf(value.get()), std::u16string(u"xy\0z", 4));
}

TEST(Bstr, ReallocationMayTakeItsOwnText) {
    Bstr value(SysAllocString(OLESTR("abcdef")));
    ASSERT_TRUE(SysReAllocStringLen(value.out(), value.get() + 2, 3));
    EXPECT_EQ(TextOf(value.get()), u"cde");
}
