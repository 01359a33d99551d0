// SignData and DecryptAndSignData through the simulated drivers: what the caller's VARIANT
// turns into, what the token is asked to sign, and what comes back.
#include <functional>

#include "component/signing/HexText.h"
#include "platform/OwnedVariant.h"
#include "tests/signing/SigningFixture.h"

namespace {

// A VARIANT and whatever it refers to, cleared together.
struct RawData {
    OwnedVariant value;
    OwnedVariant referent;
};

SAFEARRAY* ByteArray(VARTYPE element, LONG lower, ULONG count) {
    SAFEARRAYBOUND bound = {count, lower};
    SAFEARRAY* array = SafeArrayCreate(element, 1, &bound);
    void* data = nullptr;
    SafeArrayAccessData(array, &data);
    for (ULONG i = 0; i < count; ++i) {
        static_cast<uint8_t*>(data)[i] = static_cast<uint8_t>(0xC0 + i);
    }
    SafeArrayUnaccessData(array);
    return array;
}

void SetArray(VARIANT* value, VARTYPE element, LONG lower, ULONG count) {
    V_VT(value) = VT_ARRAY | element;
    V_ARRAY(value) = ByteArray(element, lower, count);
}

sim::Bytes Counting(size_t count) {
    sim::Bytes bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes.push_back(static_cast<uint8_t>(0xC0 + i));
    }
    return bytes;
}

struct FormCase {
    const char* name;
    std::function<void(RawData&)> make;
    bool hexadecimal;
    // Null for a refused form.
    std::function<sim::Bytes()> signedBytes;
};

} // namespace

TEST_F(SigningTest, EveryRawDataFormSignsItsBytesOrIsRefusedWithoutTouchingTheToken) {
    PrepareKeyedToken(1024);
    const auto text = [](const char* value) {
        return [value](RawData& raw) { raw.value.SetBstr(SingleByteBstr(value).Detach()); };
    };
    const std::vector<FormCase> cases = {
        {"hex text", text("0A1b"), true,
         [] {
             return sim::Bytes{0x0A, 0x1B};
         }},
        {"plain text", text("0A1b"), false, [] { return BytesOf("0A1b"); }},
        {"odd hex text", text("AB7"), true, [] { return sim::Bytes{0xAB}; }},
        {"hex text with a line end after its pairs", text("0A1B\n"), true,
         [] {
             return sim::Bytes{0x0A, 0x1B};
         }},
        {"text ends at zero",
         [](RawData& raw) {
             const OLECHAR units[] = {'A', 'B', 0, 'C', 'D'};
             raw.value.SetBstr(SysAllocStringLen(units, 5));
         },
         true, [] { return sim::Bytes{0xAB}; }},
        {"VT_UI1 array", [](RawData& raw) { SetArray(raw.value.Get(), VT_UI1, 0, 20); }, false,
         [] { return Counting(20); }},
        {"VT_I1 array from 5", [](RawData& raw) { SetArray(raw.value.Get(), VT_I1, 5, 20); }, false,
         [] { return Counting(20); }},
        {"VT_UI1 array from -3", [](RawData& raw) { SetArray(raw.value.Get(), VT_UI1, -3, 1); },
         false, [] { return Counting(1); }},
        {"VT_UI1 array up to past the highest bound",
         [](RawData& raw) { SetArray(raw.value.Get(), VT_UI1, 0x7FFFFFFE, 4); }, false,
         [] { return Counting(4); }},
        {"text by reference",
         [](RawData& raw) {
             raw.referent.SetBstr(SingleByteBstr("c0c1").Detach());
             V_VT(raw.value.Get()) = VT_BYREF | VT_BSTR;
             V_BSTRREF(raw.value.Get()) = &V_BSTR(raw.referent.Get());
         },
         true, [] { return Counting(2); }},
        {"array by reference",
         [](RawData& raw) {
             SetArray(raw.referent.Get(), VT_UI1, 0, 3);
             V_VT(raw.value.Get()) = VT_BYREF | VT_ARRAY | VT_UI1;
             V_ARRAYREF(raw.value.Get()) = &V_ARRAY(raw.referent.Get());
         },
         false, [] { return Counting(3); }},
        {"variant by reference",
         [](RawData& raw) {
             SetArray(raw.referent.Get(), VT_I1, 1, 4);
             V_VT(raw.value.Get()) = VT_BYREF | VT_VARIANT;
             V_VARIANTREF(raw.value.Get()) = raw.referent.Get();
         },
         false, [] { return Counting(4); }},
        {"hex text with a non-digit", text("0A1G"), true, nullptr},
        {"hex text with a blank", text("0A 1"), true, nullptr},
        {"hex text with a line end inside a pair", text("0A1\n"), true, nullptr},
        {"null text", [](RawData& raw) { raw.value.SetBstr(nullptr); }, true, nullptr},
        {"empty array", [](RawData& raw) { SetArray(raw.value.Get(), VT_UI1, 0, 0); }, false,
         nullptr},
        {"empty array from the lowest bound",
         [](RawData& raw) { SetArray(raw.value.Get(), VT_UI1, -0x7FFFFFFF - 1, 0); }, false,
         nullptr},
        {"VT_I2 array", [](RawData& raw) { SetArray(raw.value.Get(), VT_I2, 0, 4); }, false,
         nullptr},
        {"number",
         [](RawData& raw) {
             V_VT(raw.value.Get()) = VT_I4;
             V_I4(raw.value.Get()) = 7;
         },
         false, nullptr},
        {"empty variant", [](RawData&) {}, false, nullptr},
        {"null reference",
         [](RawData& raw) {
             V_VT(raw.value.Get()) = VT_BYREF | VT_BSTR;
             V_BSTRREF(raw.value.Get()) = nullptr;
         },
         true, nullptr},
        {"two dimensions",
         [](RawData& raw) {
             SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
             V_VT(raw.value.Get()) = VT_ARRAY | VT_UI1;
             V_ARRAY(raw.value.Get()) = SafeArrayCreate(VT_UI1, 2, bounds);
         },
         false, nullptr},
    };
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    for (const FormCase& form : cases) {
        SCOPED_TRACE(form.name);
        RawData raw;
        form.make(raw);
        sims.ClearCalls();
        OwnedBstr result;
        ASSERT_EQ(
            signer.SignData(pin.Get(), *raw.value.Get(), form.hexadecimal ? 1 : 0, result.Put()),
            S_OK);
        TZentorError error = ZTNoError;
        signer.get_LastZTError(&error);
        const std::string signature = ToAnsi(result.Get());
        if (!form.signedBytes) {
            EXPECT_EQ(error, ZTInvalidDataType);
            EXPECT_EQ(signature, "");
            EXPECT_TRUE(sims.TokenCalls().empty());
            continue;
        }
        EXPECT_EQ(error, ZTNoError);
        EXPECT_EQ(signature.size(), 256u);
        EXPECT_TRUE(Signs(signature, form.signedBytes()));
        const auto signs = TokenCallsOf("C_Sign");
        ASSERT_EQ(signs.size(), 1u);
        const sim::Bytes asked = form.signedBytes();
        EXPECT_EQ(signs[0].Arg("data"), EncodeHexText(asked.data(), asked.size()));
    }

    // An empty text reaches the token as an empty block (which the simulator, like
    // libgcrypt, refuses to sign).
    sims.ClearCalls();
    OwnedVariant empty;
    empty.SetBstr(SingleByteBstr("").Detach());
    OwnedBstr result;
    signer.SignData(pin.Get(), *empty.Get(), 1, result.Put());
    const auto signs = TokenCallsOf("C_Sign");
    ASSERT_EQ(signs.size(), 1u);
    EXPECT_TRUE(signs[0].HasArg("data"));
    EXPECT_EQ(signs[0].Arg("data"), "");
}

TEST_F(SigningTest, ExpiredPinAnswersPinExpiredAndSignsNothing) {
    PrepareKeyedToken(1024);
    sims.EditTokens(
        [](tokensim::CTokenState& state) { state.readers.at(0).token.userPinExpired = true; });
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    for (const bool decrypt : {false, true}) {
        OwnedVariant raw;
        raw.SetBstr(SingleByteBstr("00FF").Detach());
        OwnedBstr result;
        if (decrypt) {
            signer.DecryptAndSignData(pin.Get(), *raw.Get(), 1, result.Put());
        } else {
            signer.SignData(pin.Get(), *raw.Get(), 1, result.Put());
        }
        TZentorError error = ZTNoError;
        TPKCS11Error rv = ZT_CKR_OK;
        signer.get_LastZTError(&error);
        signer.get_PKCS11Error(&rv);
        EXPECT_EQ(ToAnsi(result.Get()), "PIN EXPIRED");
        EXPECT_EQ(error, ZTLoginPinExpired);
        EXPECT_EQ(rv, ZT_CKR_PIN_EXPIRED);
    }
    EXPECT_EQ(TokenCallCount("C_SignInit") + TokenCallCount("C_DecryptInit"), 0u);
}

TEST_F(SigningTest, DecryptAndSignSignsWhatThePrivateKeyDecrypts) {
    PrepareKeyedToken(2048);
    const sim::Bytes secret = BytesOf("challenge from the clearing service");
    sim::Bytes block;
    ASSERT_EQ(sim::EncryptPkcs1(publicKey, secret, block), sim::TCryptoStatus::Ok);
    const OwnedBstr pin = SingleByteBstr(kUserPin);

    OwnedVariant raw;
    raw.SetBstr(SingleByteBstr(EncodeHexText(block.data(), block.size())).Detach());
    OwnedBstr result;
    signer.DecryptAndSignData(pin.Get(), *raw.Get(), 1, result.Put());
    TZentorError error = ZTNoError;
    signer.get_LastZTError(&error);
    EXPECT_EQ(error, ZTNoError);
    EXPECT_EQ(ToAnsi(result.Get()).size(), 512u);
    EXPECT_TRUE(Signs(ToAnsi(result.Get()), secret));

    // A block the key cannot decrypt: the token's reason, and no signing call.
    sims.ClearCalls();
    block[block.size() / 2] ^= 0x5A;
    block[0] = 0x7F;
    raw.SetBstr(SingleByteBstr(EncodeHexText(block.data(), block.size())).Detach());
    signer.DecryptAndSignData(pin.Get(), *raw.Get(), 1, result.Put());
    TPKCS11Error rv = ZT_CKR_OK;
    signer.get_LastZTError(&error);
    signer.get_PKCS11Error(&rv);
    EXPECT_EQ(error, ZTDecryptFailed);
    EXPECT_NE(rv, ZT_CKR_OK);
    EXPECT_EQ(ToAnsi(result.Get()), "");
    EXPECT_EQ(TokenCallCount("C_SignInit"), 0u);
}

TEST_F(SigningTest, DeviceSignsWithItsKeyAndReadsNoShortBlockPast) {
    PrepareCard();
    const OwnedBstr pin = SingleByteBstr(kDevicePin);
    OwnedVariant raw;
    raw.SetBstr(SingleByteBstr("0A1B2C").Detach());
    OwnedBstr result;
    signer.SignData(pin.Get(), *raw.Get(), 1, result.Put());
    TZentorError error = ZTNoError;
    signer.get_LastZTError(&error);
    EXPECT_EQ(error, ZTNoError);
    EXPECT_TRUE(Signs(ToAnsi(result.Get()), sim::Bytes{0x0A, 0x1B, 0x2C}));

    // hl_RSA_decrypt reads one 128-byte block: 127 bytes are refused before it is asked,
    // a whole block gives a 128-byte result.
    for (const size_t length : {size_t{127}, size_t{128}}) {
        sims.ClearCalls();
        raw.SetBstr(SingleByteBstr(std::string(length * 2, '1')).Detach());
        signer.DecryptAndSignData(pin.Get(), *raw.Get(), 1, result.Put());
        signer.get_LastZTError(&error);
        EXPECT_EQ(error, length < 128 ? ZTInvalidDataType : ZTNoError);
        EXPECT_EQ(ToAnsi(result.Get()).size(), length < 128 ? 0u : 256u);
        EXPECT_EQ(HlCallCount("hl_RSA_decrypt"), length < 128 ? 0u : 2u);
    }
}
