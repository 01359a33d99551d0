// What a driver reports is never trusted beyond the buffers the component gave it.
#include "tests/support/AccessFixture.h"

#include <cstring>

#include "component/access/TokenLabels.h"

namespace {

class DriverAnswerBounds : public AccessTest {
protected:
    void SetUp() override { InstallTavlink(); }
};

TEST_F(DriverAnswerBounds, SlotCountAboveTheListIsReadOnlyAsFarAsTheList) {
    sims.SetVariable("TOKENSIM_OVERSTATE", "C_GetSlotList=25"); // more than the room given
    access.UseDriver(kCardTavlink);
    EXPECT_EQ(TokensCount(), 1); // the one reader; the other slots it listed do not exist
    EXPECT_EQ(TokenCallCount("C_GetSlotInfo"), 20u);
}

TEST_F(DriverAnswerBounds, ValueLengthAboveTheBufferIsCutToTheBuffer) {
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    access.UseDriver(kCardTavlink);
    const CK_BYTE value[4] = {1, 2, 3, 4};
    const OwnedBstr label = SingleByteBstr("NorvaEFTUserData");
    ASSERT_EQ(access.WriteDataObject(nullptr, label.Get(), value, 4, Visibility::Public),
              ZTNoError);
    sims.SetVariable("TOKENSIM_OVERSTATE", "C_GetAttributeValue=5000");
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTNoError);
    EXPECT_EQ(length, 175u);
    EXPECT_EQ(buffer[3], 4);
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
