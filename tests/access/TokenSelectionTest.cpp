// Choosing the one token an operation works on when more than one token is present, and
// the order in which automatic choice replaces one library by the next.
#include "tests/support/AccessFixture.h"

namespace {

class TokenSelection : public AccessTest {
protected:
    // A service token in the first reader and a blank token in a second one.
    void ServiceAndBlankToken() {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
        sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second reader"); });
    }

    // Objects on any token of the shared token state.
    size_t StoredObjects() {
        size_t count = 0;
        for (const auto& reader : sims.Tokens().readers) {
            count += reader.token.objects.size();
        }
        return count;
    }
};

TEST_F(TokenSelection, TwoTokensWithNoDriverChosenAreTooMany) {
    InstallTavlink();
    sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("Second reader"); });
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTTooManyTokens);
    EXPECT_EQ(access.CardType(), 0);
}

TEST_F(TokenSelection, ServiceAndBlankTokenAreTooManyForAServiceSelectionAndNothingIsWritten) {
    ServiceAndBlankToken();
    const size_t before = StoredObjects();
    const OwnedBstr label = SingleByteBstr("NorvaEFTUserData");
    const CK_BYTE value[4] = {1, 2, 3, 4};
    CK_SLOT_ID slot = 0;

    // With no driver chosen, with the driver automatic choice kept, and from its cache.
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTTooManyTokens);
    EXPECT_EQ(access.WriteDataObject(nullptr, label.Get(), value, 4, Visibility::Public),
              ZTTooManyTokens);
    access.UseDriver(kCardTavlink);
    EXPECT_EQ(access.SelectToken(TokenScope::Any, slot, Families::All), ZTTooManyTokens);
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTTooManyTokens);
    EXPECT_EQ(access.WriteDataObject(nullptr, label.Get(), value, 4, Visibility::Public),
              ZTTooManyTokens);

    EXPECT_EQ(TokenCallCount("C_OpenSession"), 0u);
    EXPECT_EQ(TokenCallCount("C_CreateObject"), 0u);
    EXPECT_EQ(TokenCallCount("C_SetAttributeValue"), 0u);
    EXPECT_EQ(StoredObjects(), before);
}

TEST_F(TokenSelection, AutomaticChoiceFinalisesEachLibraryBeforeInitialisingTheNext) {
    InstallTavlink();
    InstallEtPkcs11(); // shares the token state, and so the call log, with tavlink
    RemoveTokens();
    EXPECT_EQ(access.AutoDetectDriver(TokenScope::Any, Families::Pkcs11Only), 0);
    std::vector<std::string> lifecycle;
    for (const auto& call : sims.TokenCalls()) {
        if (call.function == "C_Initialize" || call.function == "C_Finalize") {
            lifecycle.push_back(call.function);
        }
    }
    const std::vector<std::string> expected = {"C_Initialize", "C_Finalize", "C_Initialize",
                                               "C_Finalize"};
    EXPECT_EQ(lifecycle, expected);
}

} // namespace
