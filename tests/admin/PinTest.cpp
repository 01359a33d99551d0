// The user PIN: what the token holds afterwards, the record's PINState, and what the
// driver was asked.
#include "tests/admin/AdminFixture.h"

#include "component/access/HebrewKeyboard.h"
#include "testing/common/Bytes.h"

namespace {

class Pins : public AdminTest {
protected:
    void SetUp() override {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    }

    TZentorError InitPin(const std::string& pin, const std::string& so = kSoPin) {
        TZentorError result = ZTFindObjectsFailed;
        EXPECT_EQ(zentor.InitPIN(SingleByteBstr(pin).Get(), SingleByteBstr(so).Get(), &result),
                  S_OK);
        EXPECT_EQ(Last(), result);
        return result;
    }

    TZentorError ChangePin(const std::string& oldPin, const std::string& newPin) {
        TZentorError result = ZTFindObjectsFailed;
        EXPECT_EQ(
            zentor.ChangePIN(SingleByteBstr(oldPin).Get(), SingleByteBstr(newPin).Get(), &result),
            S_OK);
        EXPECT_EQ(Last(), result);
        return result;
    }

    std::string PinState() {
        const std::optional<UserRecord> record = StoredRecord();
        return record ? Field(record->PINState, 20) : "(no record)";
    }

    sim::Bytes TokenUserPin() { return sims.Tokens().readers.at(0).token.userPin; }
};

sim::Bytes Bytes(const std::string& text) {
    return sim::Bytes(text.begin(), text.end());
}

TEST_F(Pins, PinStateFollowsWhoSetThePinAndWhetherItIsTheDefault) {
    struct Row {
        const char* name;
        bool change; // ChangePIN from the PIN set before; else InitPIN
        const char* pin;
        const char* state;
    };
    const Row rows[] = {
        {"officer sets the default", false, "592604", "000000"},
        {"officer sets a longer PIN starting with it", false, "59260499", "000000"},
        {"officer sets a short PIN", false, "5926", "592604"},
        {"officer sets another PIN", false, "11112222", "592604"},
        {"user changes to the default", true, "592604", "592604"},
        {"user changes to another PIN", true, "7777", "592604"},
    };
    std::string current = kUserPin;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.ClearCalls();
        const TZentorError result = row.change ? ChangePin(current, row.pin) : InitPin(row.pin);
        EXPECT_EQ(result, ZTNoError);
        EXPECT_EQ(TokenUserPin(), Bytes(row.pin));
        EXPECT_EQ(PinState(), row.state);
        EXPECT_EQ(TokenCallCount(row.change ? "C_SetPIN" : "C_InitPIN"), 1u);
        EXPECT_EQ(TokenCallCount("C_Logout"), 0u);
        current = row.pin;
    }
    // The rest of the field keeps its bytes: seven are written.
    const std::optional<UserRecord> record = StoredRecord();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(std::string(record->PINState + 6, record->PINState + 20), std::string(14, '\0'));
}

TEST_F(Pins, RefusalsLeaveThePinAndTheRecordAlone) {
    struct Row {
        const char* name;
        std::function<TZentorError()> run;
        TZentorError expected;
        TPKCS11Error driverResult;
        const char* notCalled;
    };
    const Row rows[] = {
        {"wrong old PIN", [this] { return ChangePin("9999", "5555"); }, ZTLoginFailed,
         ZT_CKR_PIN_INCORRECT, "C_SetPIN"},
        {"wrong SO password", [this] { return InitPin("5555", "00000000"); }, ZTLoginFailed,
         ZT_CKR_PIN_INCORRECT, "C_InitPIN"},
        {"PIN of bad length", [this] { return InitPin("12"); }, ZTInitPINFailed,
         ZT_CKR_PIN_LEN_RANGE, ""},
        {"new PIN refused on change", [this] { return ChangePin(kUserPin, "1"); }, ZTInitPINFailed,
         ZT_CKR_PIN_LEN_RANGE, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.EditTokens([](tokensim::CTokenState& s) {
            s.readers.at(0).token.userPinFailures = 0;
            s.readers.at(0).token.soPinFailures = 0;
        });
        const std::string before = PinState();
        sims.ClearCalls();
        EXPECT_EQ(row.run(), row.expected);
        EXPECT_EQ(DriverResult(), row.driverResult);
        EXPECT_EQ(TokenUserPin(), Bytes(kUserPin));
        EXPECT_EQ(PinState(), before);
        if (*row.notCalled) {
            EXPECT_EQ(TokenCallCount(row.notCalled), 0u);
        }
    }
}

TEST_F(Pins, AnExpiredPinCanBeChanged) {
    sims.EditTokens([](tokensim::CTokenState& s) { s.readers.at(0).token.userPinExpired = true; });
    EXPECT_EQ(ChangePin(kUserPin, "24682468"), ZTNoError);
    EXPECT_EQ(TokenUserPin(), Bytes("24682468"));
    EXPECT_FALSE(sims.Tokens().readers.at(0).token.userPinExpired);
    EXPECT_EQ(PinState(), "592604");
}

TEST_F(Pins, OnlyTheServiceTokenIsGivenAPin) {
    sims.EditTokens([](tokensim::CTokenState& s) {
        s.readers.at(0).token.label = "Other" + std::string(27, ' ');
    });
    sims.ClearCalls();
    EXPECT_EQ(InitPin("5555"), ZTLabeledTokenNotFound);
    EXPECT_EQ(TokenCallCount("C_InitPIN"), 0u);
    EXPECT_EQ(TokenUserPin(), Bytes(kUserPin));
}

TEST_F(Pins, TheHlDeviceChangesThroughTheHebrewKeyboardAndRefusesAnOfficer) {
    RemoveTokens();
    InstallBrevo();
    zentor.put_CardType(2);
    const std::string holderBefore = Get(&CZentor::get_LastName);

    EXPECT_EQ(InitPin("5555"), ZTInitPINFailed);
    EXPECT_EQ(DriverResult(), ZT_CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(HlCallCount("hl_logon"), 0u);

    // The device was given "123456", digits only; a Latin PIN reaches it as typed on the
    // Hebrew keyboard.
    sims.EditCard([](hlsim::CHlState& card) { card.pinExpired = true; });
    sims.ClearCalls();
    EXPECT_EQ(ChangePin(kDevicePin, "abcd12"), ZTNoError);
    EXPECT_EQ(DriverResult(), ZT_CKR_FUNCTION_NOT_SUPPORTED); // unchanged by the device
    EXPECT_EQ(sims.Card().pin, Bytes(ToHebrewKeyboard("abcd12")));
    EXPECT_NE(ToHebrewKeyboard("abcd12"), "abcd12");
    EXPECT_EQ(ChangePin("abcd12", "tt9876"), ZTNoError);
    EXPECT_EQ(sims.Card().pin, Bytes(ToHebrewKeyboard("tt9876")));
    EXPECT_EQ(ChangePin("wrong1", "555555"), ZTLoginFailed);
    sims.InjectHlFault("hl_change_password", 5, 1);
    EXPECT_EQ(ChangePin("tt9876", "555555"), ZTInitPINFailed);
    EXPECT_EQ(sims.Card().pin, Bytes(ToHebrewKeyboard("tt9876")));
    EXPECT_EQ(Get(&CZentor::get_LastName), holderBefore);
}

TEST_F(Pins, TheOfficersPasswordReachesTheDeviceOnlyWhenNoDriverWasChosen) {
    RemoveTokens();
    InstallBrevo();
    struct Row {
        const char* name;
        LONG cardType; // put before InitPIN; 0 leaves no driver chosen
        bool cardPresent;
        TZentorError expected;
        size_t logons; // hl_logon calls, each costing the holder's PIN a try when refused
    };
    const Row rows[] = {
        {"device chosen, card present", 2, true, ZTInitPINFailed, 0},
        {"device chosen, no card", 2, false, ZTLabeledTokenNotFound, 0},
        // Chosen by the login itself, the device is logged on to as for any operation.
        {"no driver chosen", 0, true, ZTLoginFailed, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.EditCard([&](hlsim::CHlState& card) { card.cardPresent = row.cardPresent; });
        zentor.put_CardType(row.cardType);
        sims.ClearCalls();
        EXPECT_EQ(InitPin("5555"), row.expected);
        EXPECT_EQ(HlCallCount("hl_logon"), row.logons);
        EXPECT_EQ(sims.Card().pin, Bytes("123456"));
    }
}

} // namespace
