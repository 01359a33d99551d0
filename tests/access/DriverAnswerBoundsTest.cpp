// What a driver reports is never trusted beyond the buffers the component gave it.
#include "tests/support/AccessFixture.h"

#include <cstring>

#include "component/access/TokenLabels.h"

namespace {

int slotInfoCalls = 0;

class DriverAnswerBounds : public AccessTest {
protected:
    void SetUp() override {
        InstallTavlink();
        slotInfoCalls = 0;
    }
};

TEST_F(DriverAnswerBounds, SlotCountAboveTheListIsReadOnlyAsFarAsTheList) {
    access.UseDriver(1);
    Pkcs11Table& p11 = access.Driver().Pkcs11();
    p11.C_GetSlotList = [](CK_BBOOL, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) -> CK_RV {
        for (CK_ULONG i = 0; i < *count; ++i) {
            list[i] = 100 + i;
        }
        *count = 25; // more than the room it was given
        return CKR_OK;
    };
    p11.C_GetSlotInfo = [](CK_SLOT_ID slot, CK_SLOT_INFO_PTR info) -> CK_RV {
        ++slotInfoCalls;
        *info = CK_SLOT_INFO{};
        return slot < 120 ? CKR_OK : CKR_SLOT_ID_INVALID;
    };
    EXPECT_EQ(access.CountTokens(TokenScope::Any, Fallback::None, Families::All), 0);
    EXPECT_EQ(slotInfoCalls, 20);
    EXPECT_EQ(access.Driver().Caches().slotCount, 20);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_OK);
}

TEST_F(DriverAnswerBounds, ValueLengthAboveTheBufferIsCutToTheBuffer) {
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    access.UseDriver(1);
    const CK_BYTE value[4] = {1, 2, 3, 4};
    const OwnedBstr label = SingleByteBstr("NorvaEFTUserData");
    ASSERT_EQ(access.WriteDataObject(nullptr, label.Get(), value, 4, Visibility::Public),
              ZTNoError);
    access.Driver().Pkcs11().C_GetAttributeValue =
        [](CK_SESSION_HANDLE, CK_OBJECT_HANDLE, CK_ATTRIBUTE_PTR attributes, CK_ULONG) -> CK_RV {
        std::memset(attributes[0].pValue, 0xAB, attributes[0].ulValueLen);
        attributes[0].ulValueLen = 5000;
        return CKR_OK;
    };
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTNoError);
    EXPECT_EQ(length, 175u);
}

CK_TOKEN_INFO TokenWithLabel(const std::string& label) {
    CK_TOKEN_INFO info = {};
    std::memset(info.label, ' ', sizeof info.label);
    std::memcpy(info.label, label.data(), std::min(label.size(), sizeof info.label));
    return info;
}

TEST(TokenLabel, LabelFilledWithoutAnyNulIsReadWithinItsField) {
    EXPECT_TRUE(IsNorvaLabel(TokenWithLabel("Trellmoor")));
    EXPECT_TRUE(IsNorvaLabel(TokenWithLabel("   Trellmoor")));
    EXPECT_FALSE(IsNorvaLabel(TokenWithLabel("trellmoor")));
    EXPECT_FALSE(IsNorvaLabel(TokenWithLabel("Trellmoor2")));
}

TEST(TokenLabel, OnlyTheFirstThirtyOneBytesCount) {
    // The 32nd byte is outside the compared text.
    std::string label = "Trellmoor" + std::string(22, ' ') + "X";
    EXPECT_TRUE(IsNorvaLabel(TokenWithLabel(label)));
    label = "Trellmoor" + std::string(21, ' ') + "X ";
    EXPECT_FALSE(IsNorvaLabel(TokenWithLabel(label)));
}

TEST(TokenLabel, TextEndsAtTheFirstNul) {
    CK_TOKEN_INFO info = TokenWithLabel("Trellmoor");
    info.label[9] = '\0';
    info.label[10] = 'Z';
    EXPECT_TRUE(IsNorvaLabel(info));
}

TEST(TokenLabel, OnlyTheSpaceCharacterIsTrimmed) {
    EXPECT_FALSE(IsNorvaLabel(TokenWithLabel("\tTrellmoor")));
}

CK_SLOT_INFO ReaderDescribedAs(const std::string& text, size_t at) {
    CK_SLOT_INFO info = {};
    std::memset(info.slotDescription, ' ', sizeof info.slotDescription);
    std::memcpy(info.slotDescription + at, text.data(), text.size());
    return info;
}

TEST(PendrelReader, NameMustLieWithinTheFirstSixtyThreeBytes) {
    EXPECT_TRUE(IsPendrelReader(ReaderDescribedAs("Pendrel", 0)));
    EXPECT_TRUE(IsPendrelReader(ReaderDescribedAs("Pendrel", 56)));
    EXPECT_FALSE(IsPendrelReader(ReaderDescribedAs("Pendrel", 57)));
    EXPECT_FALSE(IsPendrelReader(ReaderDescribedAs("PENDREL", 0)));
}

TEST(PendrelReader, NameAfterANulDoesNotCount) {
    CK_SLOT_INFO info = ReaderDescribedAs("Pendrel", 10);
    info.slotDescription[5] = '\0';
    EXPECT_FALSE(IsPendrelReader(info));
}

} // namespace
