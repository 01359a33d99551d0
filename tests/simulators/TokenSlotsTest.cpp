// Readers and tokens as the token simulator reports them.
#include "tests/simulators/TokenSimFixture.h"

#include <algorithm>
#include <cstring>

namespace {

std::string Field(const unsigned char* field, size_t width) {
    return std::string(reinterpret_cast<const char*>(field), width);
}

} // namespace

TEST_F(TokenSimTest, WithoutStateItIsOneHardwareReaderHoldingABlankToken) {
    CK_ULONG count = 0;
    ASSERT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
    ASSERT_EQ(count, 1u);
    CK_SLOT_INFO slot{};
    ASSERT_EQ(p11->C_GetSlotInfo(FirstSlot(), &slot), CKR_OK);
    EXPECT_EQ(slot.flags & (CKF_HW_SLOT | CKF_TOKEN_PRESENT), CKF_HW_SLOT | CKF_TOKEN_PRESENT);
    CK_TOKEN_INFO token{};
    ASSERT_EQ(p11->C_GetTokenInfo(FirstSlot(), &token), CKR_OK);
    EXPECT_EQ(token.flags & CKF_TOKEN_INITIALIZED, 0u);
    EXPECT_EQ(Field(token.label, 32), std::string(32, ' '));
}

TEST_F(TokenSimTest, SlotListReportsNeededRoomWhenBufferIsShort) {
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second"); });
    CK_SLOT_ID slots[2] = {};
    CK_ULONG count = 1;
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, slots, &count), CKR_BUFFER_TOO_SMALL);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);
    EXPECT_NE(slots[0], slots[1]);
}

TEST_F(TokenSimTest, EmptyReaderIsListedOnlyWhenAllSlotsAreAsked) {
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Empty").present = false; });
    CK_ULONG withToken = 0, all = 0;
    ASSERT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &withToken), CKR_OK);
    ASSERT_EQ(p11->C_GetSlotList(CK_FALSE, nullptr, &all), CKR_OK);
    EXPECT_EQ(withToken, 1u);
    EXPECT_EQ(all, 2u);
}

TEST_F(TokenSimTest, ReaderSettingsShowInSlotInformation) {
    CK_SLOT_ID added = 0;
    sims.EditTokens([&](tokensim::CTokenState& state) {
        tokensim::CReader& reader = state.AddReader("Pendrel Reader 2");
        reader.hardware = false;
        reader.tokenInfoFails = true;
        added = reader.slot;
    });
    CK_SLOT_INFO info{};
    ASSERT_EQ(p11->C_GetSlotInfo(added, &info), CKR_OK);
    EXPECT_EQ(Field(info.slotDescription, 16), "Pendrel Reader 2");
    EXPECT_EQ(info.slotDescription[16], ' ');
    EXPECT_EQ(info.flags & CKF_HW_SLOT, 0u);
    CK_TOKEN_INFO token{};
    EXPECT_EQ(p11->C_GetTokenInfo(added, &token), CKR_TOKEN_NOT_RECOGNIZED);
}

TEST_F(TokenSimTest, InitialisedTokenShowsLabelAndPinFlags) {
    const CK_SLOT_ID slot = ReadyToken();
    sims.EditTokens(
        [](tokensim::CTokenState& state) { state.readers[0].token.userPinExpired = true; });
    CK_TOKEN_INFO token{};
    ASSERT_EQ(p11->C_GetTokenInfo(slot, &token), CKR_OK);
    EXPECT_EQ(Field(token.label, 32), "Trellmoor" + std::string(23, ' '));
    EXPECT_TRUE(token.flags & CKF_TOKEN_INITIALIZED);
    EXPECT_TRUE(token.flags & CKF_USER_PIN_INITIALIZED);
    EXPECT_TRUE(token.flags & CKF_USER_PIN_TO_BE_CHANGED);
}

TEST_F(TokenSimTest, UnknownSlotAndEjectedTokenAreRefused) {
    CK_SLOT_INFO info{};
    EXPECT_EQ(p11->C_GetSlotInfo(999, &info), CKR_SLOT_ID_INVALID);
    const CK_SLOT_ID slot = FirstSlot();
    sims.EditTokens([](tokensim::CTokenState& state) { state.readers[0].present = false; });
    CK_TOKEN_INFO token{};
    EXPECT_EQ(p11->C_GetTokenInfo(slot, &token), CKR_TOKEN_NOT_PRESENT);
    ASSERT_EQ(p11->C_GetSlotInfo(slot, &info), CKR_OK);
    EXPECT_EQ(info.flags & CKF_TOKEN_PRESENT, 0u);
}

TEST_F(TokenSimTest, SessionOnRemovedTokenReportsDeviceRemoved) {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open();
    sims.EditTokens([](tokensim::CTokenState& state) { state.readers[0].present = false; });
    CK_SESSION_INFO info{};
    EXPECT_EQ(p11->C_GetSessionInfo(session, &info), CKR_DEVICE_REMOVED);
    EXPECT_EQ(p11->C_CloseSession(session), CKR_SESSION_HANDLE_INVALID);
}

TEST_F(TokenSimTest, CallsBeforeInitialiseAreRefused) {
    ASSERT_EQ(p11->C_Finalize(nullptr), CKR_OK);
    CK_ULONG count = 0;
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_CRYPTOKI_NOT_INITIALIZED);
    EXPECT_EQ(p11->C_Finalize(nullptr), CKR_CRYPTOKI_NOT_INITIALIZED);
    ASSERT_EQ(p11->C_Initialize(nullptr), CKR_OK);
    EXPECT_EQ(p11->C_Initialize(nullptr), CKR_CRYPTOKI_ALREADY_INITIALIZED);
}

TEST_F(TokenSimTest, MechanismListOffersRsaAndTheTwoDigests) {
    CK_ULONG count = 0;
    ASSERT_EQ(p11->C_GetMechanismList(FirstSlot(), nullptr, &count), CKR_OK);
    std::vector<CK_MECHANISM_TYPE> list(count);
    ASSERT_EQ(p11->C_GetMechanismList(FirstSlot(), list.data(), &count), CKR_OK);
    for (CK_MECHANISM_TYPE wanted : {CKM_RSA_PKCS_KEY_PAIR_GEN, CKM_RSA_PKCS, CKM_MD5, CKM_SHA512})
        EXPECT_NE(std::find(list.begin(), list.end(), wanted), list.end()) << wanted;
    CK_MECHANISM_INFO info{};
    ASSERT_EQ(p11->C_GetMechanismInfo(FirstSlot(), CKM_RSA_PKCS_KEY_PAIR_GEN, &info), CKR_OK);
    EXPECT_EQ(info.ulMinKeySize, 1024u);
    EXPECT_EQ(info.ulMaxKeySize, 2048u);
}
