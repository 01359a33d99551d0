// The attribute-template builder: value bytes, lengths and order.
#include <gtest/gtest.h>

#include <cstring>

#include "component/access/CAttributeTemplate.h"
#include "tests/support/AccessFixture.h"

namespace {

std::string ValueText(const CK_ATTRIBUTE& attribute) {
    return std::string(static_cast<const char*>(attribute.pValue), attribute.ulValueLen);
}

TEST(AttributeTemplate, TextCarriesItsZeroByte) {
    CAttributeTemplate attributes;
    const OwnedBstr label = SingleByteBstr("NorvaEFTUserData");
    attributes.AddText(CKA_LABEL, label.Get());
    attributes.AddText(CKA_APPLICATION, "NorvaEFT");
    EXPECT_EQ(attributes.Item(0).ulValueLen, 17u);
    EXPECT_EQ(ValueText(attributes.Item(0)), std::string("NorvaEFTUserData") + '\0');
    EXPECT_EQ(attributes.Item(1).ulValueLen, 9u);
    EXPECT_EQ(ValueText(attributes.Item(1)), std::string("NorvaEFT") + '\0');
}

TEST(AttributeTemplate, TextIsConvertedToTheAnsiCodePage) {
    if (GetACP() != 1255) {
        GTEST_SKIP() << "the system's ANSI code page is not Hebrew";
    }
    CAttributeTemplate attributes;
    const OLECHAR hebrew[] = {0x05D0, 0x05EA, 'x', 0};
    BSTR text = SysAllocString(hebrew);
    attributes.AddText(CKA_LABEL, text);
    SysFreeString(text);
    EXPECT_EQ(ValueText(attributes.Item(0)), std::string("\xE0\xFAx") + '\0');
}

TEST(AttributeTemplate, NullTextIsTheEmptyText) {
    CAttributeTemplate attributes;
    attributes.AddText(CKA_LABEL, static_cast<BSTR>(nullptr));
    EXPECT_EQ(attributes.Item(0).ulValueLen, 1u);
    EXPECT_EQ(static_cast<const char*>(attributes.Item(0).pValue)[0], '\0');
}

TEST(AttributeTemplate, NumbersAndBooleansAreCopied) {
    CAttributeTemplate attributes;
    attributes.AddULong(CKA_CLASS, CKO_PRIVATE_KEY);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddBool(CKA_PRIVATE, false);
    const CK_ATTRIBUTE number = attributes.Item(0);
    ASSERT_EQ(number.ulValueLen, sizeof(CK_ULONG));
    CK_ULONG value = 0;
    std::memcpy(&value, number.pValue, sizeof value);
    EXPECT_EQ(value, CKO_PRIVATE_KEY);
    EXPECT_EQ(attributes.Item(1).ulValueLen, 1u);
    EXPECT_EQ(*static_cast<const CK_BBOOL*>(attributes.Item(1).pValue), CK_TRUE);
    EXPECT_EQ(*static_cast<const CK_BBOOL*>(attributes.Item(2).pValue), CK_FALSE);
}

TEST(AttributeTemplate, BufferIsTheCallersMemory) {
    CAttributeTemplate attributes;
    CK_BYTE buffer[175] = {};
    attributes.AddBuffer(CKA_VALUE, buffer, sizeof buffer);
    EXPECT_EQ(attributes.Item(0).pValue, buffer);
    EXPECT_EQ(attributes.Item(0).ulValueLen, 175u);
}

TEST(AttributeTemplate, BuildGivesTheEntriesInOrderAndSeesLengthUpdates) {
    CAttributeTemplate attributes;
    attributes.AddULong(CKA_CLASS, CKO_DATA);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddText(CKA_APPLICATION, "NorvaEFT");
    ASSERT_EQ(attributes.Count(), 3u);
    CK_ATTRIBUTE* built = attributes.Build();
    EXPECT_EQ(built[0].type, CKA_CLASS);
    EXPECT_EQ(built[1].type, CKA_TOKEN);
    EXPECT_EQ(built[2].type, CKA_APPLICATION);
    built[2].ulValueLen = 4; // as a driver answering a read would
    EXPECT_EQ(attributes.Item(2).ulValueLen, 4u);
}

TEST(AttributeTemplate, HoldsFortyEntriesAndRefusesMore) {
    CAttributeTemplate attributes;
    for (CK_ULONG i = 0; i < CAttributeTemplate::kCapacity; ++i) {
        EXPECT_TRUE(attributes.AddULong(CKA_VENDOR_DEFINED + i, i));
    }
    EXPECT_FALSE(attributes.AddBool(CKA_TOKEN, true));
    EXPECT_FALSE(attributes.AddText(CKA_LABEL, "x"));
    EXPECT_EQ(attributes.Count(), CAttributeTemplate::kCapacity);
    EXPECT_EQ(attributes.Item(CAttributeTemplate::kCapacity).pValue, nullptr);
}

} // namespace
