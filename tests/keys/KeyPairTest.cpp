// Key-pair generation as the token sees it: the templates it is given, the key it then
// holds, and the refusals.
#include "tests/support/AccessFixture.h"

#include "testing/common/Bytes.h"
#include "tests/support/TokenKeys.h"

namespace {

// "NORVA PKCS#11 KEY" and its terminating zero, as the simulator logs byte strings.
constexpr char kLabelHex[] = "4E4F52564120504B4353233131204B455900";

class KeyPair : public AccessTest {
protected:
    void SetUp() override {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    }

    size_t KeyObjects() { return norva::test::KeyObjectCount(sims.Tokens().readers.at(0).token); }

    TPKCS11Error DriverResult() {
        TPKCS11Error result = ZT_CKR_OK;
        zentor.get_PKCS11Error(&result);
        return result;
    }
};

// The attributes of one half of a logged C_GenerateKeyPair, in the order given.
sim::TCallArgs Half(const sim::CCallRecord& call, const std::string& half) {
    sim::TCallArgs attributes;
    bool inHalf = false;
    for (const auto& [name, value] : call.args) {
        if (name == "half") {
            inHalf = value == half;
        } else if (inHalf && name.rfind("CKA_", 0) == 0) {
            attributes.emplace_back(name, value);
        }
    }
    return attributes;
}

TEST_F(KeyPair, TheTokenIsGivenBothTemplatesInOrderWithTheChosenModulus) {
    struct Row {
        const char* keyLength; // null: GenerateKeys
        bool nullText;
        const char* bits;
    };
    const Row rows[] = {
        {nullptr, false, "2048"}, {"2", false, "2048"}, {"2048", false, "1024"},
        {"1", false, "1024"},     {"", false, "1024"},  {"", true, "1024"},
        {"1024", false, "1024"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.keyLength ? row.keyLength : "GenerateKeys");
        // The token refuses, so each row is quick and leaves no key; the call is logged.
        sims.InjectTokenFault("C_GenerateKeyPair", CKR_DEVICE_ERROR, 1);
        sims.ClearCalls();
        const OwnedBstr pin = SingleByteBstr(kUserPin);
        const OwnedBstr choice =
            row.nullText ? OwnedBstr() : SingleByteBstr(row.keyLength ? row.keyLength : "");
        TZentorError result = ZTNoError;
        if (row.keyLength == nullptr) {
            zentor.GenerateKeys(pin.Get(), &result);
        } else {
            zentor.GenerateKeysCustom(pin.Get(), choice.Get(), &result);
        }
        EXPECT_EQ(result, ZTGenerateKeyPairFailed);
        EXPECT_EQ(DriverResult(), CKR_DEVICE_ERROR);
        const auto calls = TokenCallsOf("C_GenerateKeyPair");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Arg("mechanism"), "CKM_RSA_PKCS_KEY_PAIR_GEN");
        const sim::TCallArgs expectedPublic = {
            {"CKA_ID", kLabelHex},          {"CKA_TOKEN", "1"},
            {"CKA_PRIVATE", "0"},           {"CKA_LABEL", kLabelHex},
            {"CKA_MODULUS_BITS", row.bits}, {"CKA_PUBLIC_EXPONENT", "010001"},
            {"CKA_ENCRYPT", "1"},           {"CKA_VERIFY", "1"},
            {"CKA_VERIFY_RECOVER", "1"},    {"CKA_WRAP", "1"},
        };
        const sim::TCallArgs expectedPrivate = {
            {"CKA_ID", kLabelHex},    {"CKA_TOKEN", "1"},        {"CKA_PRIVATE", "1"},
            {"CKA_LABEL", kLabelHex}, {"CKA_SENSITIVE", "1"},    {"CKA_DECRYPT", "1"},
            {"CKA_SIGN", "1"},        {"CKA_SIGN_RECOVER", "1"}, {"CKA_UNWRAP", "1"},
            {"CKA_EXTRACTABLE", "0"},
        };
        EXPECT_EQ(Half(calls[0], "public"), expectedPublic);
        EXPECT_EQ(Half(calls[0], "private"), expectedPrivate);
        EXPECT_EQ(KeyObjects(), 0u);
        EXPECT_EQ(TokenCallCount("C_Logout"), 0u); // sessions end by closing
    }
}

TEST_F(KeyPair, AWrongOrExpiredPinLeavesNoKeyAndNeverAsksForOne) {
    struct Row {
        const char* pin;
        bool expired;
        TZentorError expected;
    };
    const Row rows[] = {
        {"9999", false, ZTLoginFailed},
        {kUserPin, true, ZTLoginPinExpired},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pin);
        sims.EditTokens([&](tokensim::CTokenState& state) {
            state.readers.at(0).token.userPinExpired = row.expired;
            state.readers.at(0).token.userPinFailures = 0;
        });
        sims.ClearCalls();
        TZentorError result = ZTNoError;
        zentor.GenerateKeys(SingleByteBstr(row.pin).Get(), &result);
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(TokenCallCount("C_GenerateKeyPair"), 0u);
        EXPECT_EQ(KeyObjects(), 0u);
    }
}

TEST_F(KeyPair, AGeneratedKeyIsTheOnePublicKeyReportsAfterwards) {
    TZentorError result = ZTInitTokenFailed;
    zentor.GenerateKeys(SingleByteBstr(kUserPin).Get(), &result);
    ASSERT_EQ(result, ZTNoError);
    OwnedBstr first;
    zentor.get_PublicKey(first.Put());
    // A second pair replaces nothing on the token, but the object must not go on
    // answering with the key it read before.
    zentor.GenerateKeysCustom(SingleByteBstr(kUserPin).Get(), SingleByteBstr("1").Get(), &result);
    ASSERT_EQ(result, ZTNoError);
    EXPECT_EQ(KeyObjects(), 4u);
    OwnedBstr second;
    zentor.get_PublicKey(second.Put());
    TZentorError last = ZTNoError;
    zentor.get_LastZTError(&last);
    EXPECT_EQ(last, ZTTooManyItems); // two pairs with one label: the search says so
    EXPECT_EQ(SysStringLen(first.Get()), 512u);
    EXPECT_EQ(SysStringLen(second.Get()), 0u);
}

TEST_F(KeyPair, TheHlDeviceRefusesWithoutALogin) {
    RemoveTokens();
    InstallBrevo();
    zentor.put_CardType(2);
    sims.ClearCalls();
    TZentorError result = ZTNoError;
    zentor.GenerateKeys(SingleByteBstr(kDevicePin).Get(), &result);
    EXPECT_EQ(result, ZTGenerateKeyPairFailed);
    EXPECT_EQ(DriverResult(), ZT_CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_EQ(HlCallCount("hl_logon"), 0u);
    TZentorError last = ZTNoError;
    zentor.get_LastZTError(&last);
    EXPECT_EQ(last, ZTGenerateKeyPairFailed);
}

} // namespace
