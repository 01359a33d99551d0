// Reading the public key back as text: what the token holds, when the token is asked,
// and keys that do not fit.
#include "tests/support/AccessFixture.h"

#include <cstring>

#include "testing/common/Bytes.h"
#include "tests/support/TokenKeys.h"

namespace {

sim::Bytes TextBytes(const std::string& text) {
    return sim::Bytes(text.begin(), text.end());
}

sim::Bytes NumberBytes(CK_ULONG value) {
    sim::Bytes bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

class PublicKey : public AccessTest {
protected:
    void SetUp() override { InstallTavlink(); }

    std::string Read(TZentorError& result) {
        OwnedBstr text;
        EXPECT_EQ(zentor.get_PublicKey(text.Put()), S_OK);
        EXPECT_NE(text.Get(), nullptr);
        zentor.get_LastZTError(&result);
        std::string ascii;
        for (UINT i = 0; i < SysStringLen(text.Get()); ++i) {
            ascii += static_cast<char>(text.Get()[i]);
        }
        return ascii;
    }

    // A public key of the service's label with a modulus of `size` bytes, as another
    // program could have stored it.
    void StorePublicKey(size_t size) {
        sims.EditTokens([&](tokensim::CTokenState& state) {
            tokensim::CToken& token = state.readers.at(0).token;
            const sim::Bytes label = TextBytes(std::string("NORVA PKCS#11 KEY") + '\0');
            tokensim::CObject key;
            key.handle = token.nextHandle++;
            key.Set(CKA_CLASS, NumberBytes(CKO_PUBLIC_KEY));
            key.Set(CKA_TOKEN, {1});
            key.Set(CKA_PRIVATE, {0});
            key.Set(CKA_LABEL, label);
            key.Set(CKA_ID, label);
            key.Set(CKA_MODULUS, sim::Bytes(size, 0xA5));
            token.objects.push_back(key);
        });
    }
};

TEST_F(PublicKey, A2048BitKeyReadsAsItsModulusAndASecondReadDoesNotOpenTheToken) {
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    TZentorError result = ZTInitTokenFailed;
    zentor.GenerateKeys(SingleByteBstr(kUserPin).Get(), &result);
    ASSERT_EQ(result, ZTNoError);
    const std::string first = Read(result);
    EXPECT_EQ(result, ZTNoError);
    ASSERT_EQ(first.size(), 512u);
    EXPECT_EQ(first, sim::ToHex(norva::test::StoredModulus(
                         sims.Tokens().readers.at(0).token))); // upper case, high nibble first
    const auto reads = TokenCallsOf("C_GetAttributeValue");
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().Arg("CKA_MODULUS"), "room:1000");
    sims.ClearCalls();
    EXPECT_EQ(Read(result), first);
    EXPECT_EQ(result, ZTNoError);
    // Only the slot list that tells whether the tokens changed; the token itself is not
    // opened.
    const auto calls = sims.TokenCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "C_GetSlotList");
}

TEST_F(PublicKey, KeysOfEverySizeAreReadWithoutOverflowAndOnlySmallTextsAreKept) {
    struct Row {
        size_t bytes;
        TZentorError expected;
        size_t textLength;
        bool cached;
    };
    const Row rows[] = {
        {277, ZTNoError, 554, true},   // the longest text the cache holds
        {278, ZTNoError, 556, false},  // returned whole, read again next time
        {999, ZTNoError, 1998, false}, // the longest text of a binary result
        {1000, ZTGetPublicKeyFailed, 0, false},
        {4096, ZTGetPublicKeyFailed, 0, false},
    };
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bytes);
        sims.EditTokens([](tokensim::CTokenState& s) { s.readers.at(0).token.objects.clear(); });
        StorePublicKey(row.bytes);
        zentor.put_CardType(1); // a new driver, whose caches are empty
        TZentorError result = ZTNoError;
        const std::string text = Read(result);
        EXPECT_EQ(result, row.expected);
        EXPECT_EQ(text.size(), row.textLength);
        EXPECT_EQ(text, row.textLength ? sim::ToHex(sim::Bytes(row.bytes, 0xA5)) : "");
        sims.ClearCalls();
        EXPECT_EQ(Read(result), text);
        EXPECT_EQ(TokenCallCount("C_FindObjectsInit"), row.cached ? 0u : 1u);
    }
}

TEST_F(PublicKey, TheHlDeviceKeyIsReadAsTheDeviceGaveIt) {
    RemoveTokens();
    InstallBrevo();
    zentor.put_CardType(2);
    TZentorError result = ZTInitTokenFailed;
    const std::string text = Read(result);
    EXPECT_EQ(result, ZTNoError);
    EXPECT_EQ(text, sim::ToHex(sims.Card().key.n));
    sims.EditCard([](hlsim::CHlState& card) { hlsim::SetHlKey(card, 0); });
    zentor.put_CardType(2);
    EXPECT_EQ(Read(result), "");
    EXPECT_NE(result, ZTNoError);
}

} // namespace
