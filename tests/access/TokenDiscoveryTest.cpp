// Counting tokens, choosing a driver library automatically and choosing the one token.
#include "tests/support/AccessFixture.h"

#include "component/access/LibraryTokenCounts.h"
#include "component/admin/HolderRecord.h"

namespace {

using TokenDiscovery = AccessTest;

TEST_F(TokenDiscovery, WithNoLibraryEveryCountIsZeroAndNoTokenIsFound) {
    EXPECT_EQ(TokensCount(), 0);
    EXPECT_EQ(NorvaEFTTokensCount(), 0);
    EXPECT_EQ(CardType(), 0);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTLabeledTokenNotFound);
}

TEST_F(TokenDiscovery, ChoosesTavlinkWhenOnlyItSeesAToken) {
    InstallBrevo();
    InstallTavlink();
    InstallEtPkcs11("second");
    RemoveCard();
    RemoveTokens("second");
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 1);
}

TEST_F(TokenDiscovery, ChoosesEtPkcs11WhenOnlyItSeesAToken) {
    InstallBrevo();
    InstallTavlink();
    InstallEtPkcs11("second");
    RemoveCard();
    RemoveTokens();
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 3);
}

TEST_F(TokenDiscovery, ChoosesTheDeviceLibraryWhenOnlyItSeesACard) {
    InstallBrevo();
    InstallTavlink();
    InstallEtPkcs11();
    RemoveTokens();
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 2);
}

TEST_F(TokenDiscovery, OneTokenSeenByBothPkcs11LibrariesCountsOnceAndTavlinkIsChosen) {
    InstallTavlink();
    InstallEtPkcs11(); // same token state as tavlink
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 1);
}

TEST_F(TokenDiscovery, CardSeenThroughTheDeviceAndAPkcs11LibraryCountsOnce) {
    InstallBrevo();
    InstallTavlink();
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 2);
}

TEST_F(TokenDiscovery, TwoTokensOverAllLibrariesLeaveNoDriverChosen) {
    InstallTavlink();
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second reader"); });
    EXPECT_EQ(TokensCount(), 2);
    EXPECT_EQ(CardType(), 0);
}

TEST_F(TokenDiscovery, ServiceTokenIsTakenAtOnceWhenTheFirstLibraryHoldsIt) {
    InstallBrevo();
    InstallTavlink();
    RemoveCard();
    LabelToken(kServiceLabel);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    EXPECT_EQ(CardType(), 1);
    // The library was kept, not reloaded for a second count.
    EXPECT_EQ(TokenCallCount("C_Initialize"), 1u);
}

TEST_F(TokenDiscovery, PendrelReaderWithUnreadableTokenInformationCountsAsAToken) {
    InstallTavlink();
    sims.EditTokens([](tokensim::CTokenState& state) {
        state.readers.at(0).description = "ACME Pendrel 3000";
        state.readers.at(0).tokenInfoFails = true;
    });
    access.UseDriver(1);
    EXPECT_EQ(TokensCount(), 1);
}

TEST_F(TokenDiscovery, OtherReaderWithUnreadableTokenInformationIsSkipped) {
    InstallTavlink();
    sims.EditTokens([](tokensim::CTokenState& state) {
        state.readers.at(0).description = "ACME pendrel 3000"; // case-sensitive
        state.readers.at(0).tokenInfoFails = true;
    });
    access.UseDriver(1);
    EXPECT_EQ(TokensCount(), 0);
}

TEST_F(TokenDiscovery, ServiceLabelIsRecognisedPaddedAndWithALeadingBlank) {
    InstallTavlink();
    access.UseDriver(1);
    LabelToken(kServiceLabel);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);

    access.UseDriver(1); // a new driver rescans
    LabelToken(std::string(" ") + kServiceLabel);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
}

TEST_F(TokenDiscovery, LabelDifferingOnlyInCaseIsNotAServiceToken) {
    InstallTavlink();
    access.UseDriver(1);
    LabelToken("TRELLMOOR");
    EXPECT_EQ(NorvaEFTTokensCount(), 0);
    EXPECT_EQ(TokensCount(), 1);
}

TEST_F(TokenDiscovery, TwoTokensOneOfThemAServiceTokenAreTooMany) {
    InstallTavlink();
    LabelToken(kServiceLabel);
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second reader"); });
    access.UseDriver(1);
    EXPECT_EQ(NorvaEFTTokensCount(), 2);
    access.UseDriver(1); // selection after a rescan of its own
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTTooManyTokens);
}

TEST_F(TokenDiscovery, TokenWithoutTheServiceLabelIsNotFoundForServiceOperations) {
    InstallTavlink();
    access.UseDriver(1);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTLabeledTokenNotFound);
    EXPECT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTNoError);
}

TEST_F(TokenDiscovery, SelectedSlotIsTheServiceTokensSlot) {
    InstallTavlink();
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second reader"); });
    const CK_SLOT_ID serviceSlot = sims.Tokens().readers.at(1).slot;
    sims.EditTokens([](tokensim::CTokenState& state) {
        state.readers.at(0).present = false;
        state.readers.at(1).token.label = std::string(kServiceLabel) + std::string(23, ' ');
        state.readers.at(1).token.initialized = true;
    });
    access.UseDriver(1);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTNoError);
    EXPECT_EQ(slot, serviceSlot);
}

TEST_F(TokenDiscovery, SecondCountWithTheSameSlotCountAnswersFromTheCache) {
    InstallTavlink();
    access.UseDriver(1);
    LabelToken(kServiceLabel);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    // Swapping the token in the same reader goes unnoticed while the slot count holds.
    LabelToken("Another label");
    sims.ClearCalls();
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    EXPECT_EQ(TokenCallCount("C_GetSlotList"), 1u);
    EXPECT_EQ(TokenCallCount("C_GetSlotInfo"), 0u);
    EXPECT_EQ(TokenCallCount("C_GetTokenInfo"), 0u);
}

TEST_F(TokenDiscovery, ResetSlotCacheMakesTheNextCountRescan) {
    InstallTavlink();
    access.UseDriver(1);
    LabelToken(kServiceLabel);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    LabelToken("Another label");
    access.Driver().ForgetSlots();
    EXPECT_EQ(NorvaEFTTokensCount(), 0);
}

TEST_F(TokenDiscovery, VendorDefinedSlotListResultIsReportedUnchanged) {
    InstallTavlink();
    access.UseDriver(1);
    sims.InjectTokenFault("C_GetSlotList", 0x80000001);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTLabeledTokenNotFound);
    EXPECT_EQ(access.LastDriverResult(), 0x80000001u);
}

TEST_F(TokenDiscovery, FailedSlotListFallsBackToAutomaticChoice) {
    InstallTavlink();
    access.UseDriver(1);
    sims.InjectTokenFault("C_GetSlotList", CKR_DEVICE_ERROR, 1);
    // The retry through automatic choice loads tavlink afresh and finds its token.
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(CardType(), 1);
}

TEST_F(TokenDiscovery, SuccessfulCountClearsAnEarlierPkcs11Error) {
    InstallTavlink();
    access.UseDriver(1);
    sims.InjectTokenFault("C_GetSlotList", 0x80000001, 1);
    CK_SLOT_ID slot = 0;
    ASSERT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTLabeledTokenNotFound);
    ASSERT_EQ(access.LastDriverResult(), 0x80000001u);
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_OK);
}

TEST_F(TokenDiscovery, CountingTheDeviceLeavesThePkcs11ErrorAlone) {
    InstallBrevo();
    access.UseDriver(2);
    ASSERT_EQ(access.CheckTokenOnly(), TokenOnly::Refused); // reports 84
    EXPECT_EQ(TokensCount(), 1);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_FUNCTION_NOT_SUPPORTED);
}

TEST_F(TokenDiscovery, DeviceCardIsReadOnceAndFillsTheHolderRecord) {
    InstallBrevo();
    sims.EditCard([](hlsim::CHlState& card) {
        hlsim::SetField(card.userData.userId, "U-17");
        hlsim::SetField(card.userData.lastName, "Levi");
        hlsim::SetField(card.specialData.firstName, "Dana");
        hlsim::SetField(card.specialData.company, "Acme Ltd");
        card.userData.day = 5;
        card.userData.month = 3;
        card.userData.yearFrom1900 = 124;
        card.userData.hour = 9;
        card.userData.minute = 8;
        card.userData.second = 7;
    });
    access.UseDriver(2);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    EXPECT_EQ(NorvaEFTTokensCount(), 1);
    EXPECT_EQ(HlCallCount("hl_get_user_data"), 1u);
    UserRecord record = {};
    EXPECT_EQ(ReadUserRecord(access, record), ZTNoError);
    EXPECT_EQ(HlCallCount("hl_get_user_data"), 1u); // the record came with the card
    EXPECT_STREQ(record.UserID, "U-17");
    EXPECT_STREQ(record.LastName, "Levi");
    EXPECT_STREQ(record.FirstName, "Dana");
    EXPECT_STREQ(record.Company, "Acme Ltd");
    EXPECT_STREQ(record.CreateTime, "05032024090807");
    EXPECT_STREQ(record.UserCode, "");
}

TEST_F(TokenDiscovery, DeviceCardWithoutAKeyIsATokenButNotAServiceToken) {
    InstallBrevo();
    sims.EditCard([](hlsim::CHlState& card) { hlsim::SetHlKey(card, 0); });
    access.UseDriver(2);
    EXPECT_EQ(TokensCount(), 1);
    access.UseDriver(2);
    EXPECT_EQ(NorvaEFTTokensCount(), 0);
}

TEST_F(TokenDiscovery, RemovedCardCountsZero) {
    InstallBrevo();
    RemoveCard();
    access.UseDriver(2);
    EXPECT_EQ(TokensCount(), 0);
}

TEST_F(TokenDiscovery, DeviceIsLeftOutWhenAskedToSkipIt) {
    InstallBrevo();
    access.UseDriver(2);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::Pkcs11Only),
              ZTLabeledTokenNotFound);
    EXPECT_EQ(HlCallCount("hl_on"), 0u);
}

// What only PKCS#11 tokens do (an officer login, generating a key pair) is refused by the
// device with its card present, with 84 for PKCS11Error; without a card, there is no
// token to refuse it.
struct TokenOnlyCase {
    const char* what;
    LONG cardType;   // the driver chosen; 0 for none
    bool cardInside; // the device's card is present
    TokenOnly expected;
    TPKCS11Error reported;
};

class TokenOnlyOperations : public AccessTest,
                            public ::testing::WithParamInterface<TokenOnlyCase> {};

TEST_P(TokenOnlyOperations, DeviceRefusesWithItsCardPresent) {
    const TokenOnlyCase& c = GetParam();
    InstallTavlink();
    InstallBrevo();
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    if (!c.cardInside) {
        RemoveCard();
    }
    access.UseDriver(c.cardType);
    EXPECT_EQ(access.CheckTokenOnly(), c.expected) << c.what;
    EXPECT_EQ(access.LastDriverResult(), c.reported) << c.what;
    EXPECT_EQ(TokenCallCount("C_GetSlotList"), 0u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, TokenOnlyOperations,
    ::testing::Values(
        TokenOnlyCase{"no driver", 0, true, TokenOnly::Possible, ZT_CKR_OK},
        TokenOnlyCase{"PKCS#11 library", kCardTavlink, true, TokenOnly::Possible, ZT_CKR_OK},
        TokenOnlyCase{"device with card", kCardBrevo, true, TokenOnly::Refused,
                      ZT_CKR_FUNCTION_NOT_SUPPORTED},
        TokenOnlyCase{"device without card", kCardBrevo, false, TokenOnly::NoToken, ZT_CKR_OK}));

// Counts are in the order automatic choice tries the libraries: brevo32, tavlink, eTpkcs11.
struct SharedCase {
    LibraryTokenCounts seen;
    LibraryTokenCounts distinct;
};

class SharedTokens : public ::testing::TestWithParam<SharedCase> {};

TEST_P(SharedTokens, TokensSeenByTwoLibrariesAreCountedOnce) {
    LibraryTokenCounts counts = GetParam().seen;
    counts.RemoveShared();
    for (const DriverEntry& driver : DriverTable()) {
        EXPECT_EQ(counts.Of(driver.cardType), GetParam().distinct.Of(driver.cardType))
            << driver.libraryName;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, SharedTokens,
    ::testing::Values(SharedCase{{0, 0, 0}, {0, 0, 0}}, SharedCase{{1, 0, 0}, {1, 0, 0}},
                      SharedCase{{1, 1, 0}, {1, 0, 0}}, SharedCase{{1, 0, 1}, {1, 0, 0}},
                      SharedCase{{1, 1, 1}, {1, 0, 0}}, SharedCase{{0, 1, 1}, {0, 1, 0}},
                      SharedCase{{0, 1, 2}, {0, 1, 1}}, SharedCase{{0, 2, 1}, {0, 2, 1}},
                      SharedCase{{2, 1, 0}, {2, 1, 0}}, SharedCase{{1, 3, 3}, {1, 2, 0}},
                      SharedCase{{0, 0, 2}, {0, 0, 2}}));

TEST(SharedTokens, TheOnlyLibraryWithOneTokenIsChosenInOrder) {
    EXPECT_EQ((LibraryTokenCounts{1, 0, 0}.OnlyCardType()), kCardBrevo);
    EXPECT_EQ((LibraryTokenCounts{0, 1, 0}.OnlyCardType()), kCardTavlink);
    EXPECT_EQ((LibraryTokenCounts{0, 0, 1}.OnlyCardType()), kCardEtPkcs11);
    LibraryTokenCounts counts;
    counts.Set(kCardEtPkcs11, 1);
    EXPECT_EQ(counts.Of(kCardEtPkcs11), 1);
    EXPECT_EQ(counts.OnlyCardType(), kCardEtPkcs11);
}

} // namespace
