// Key generation, signing, decryption and digests with real RSA.
#include "tests/simulators/TokenSimFixture.h"

#include "testing/common/Crypto.h"

class TokenCryptoTest : public TokenSimTest {
protected:
    void SetUp() override {
        TokenSimTest::SetUp();
        session = UserSession();
    }
    sim::CRsaKey PublicHalf(CK_OBJECT_HANDLE key) {
        return sim::CRsaKey{Attribute(session, key, CKA_MODULUS),
                            Attribute(session, key, CKA_PUBLIC_EXPONENT),
                            {},
                            {},
                            {},
                            {}};
    }
    CK_RV Run(CK_RV (*init)(CK_SESSION_HANDLE, CK_MECHANISM_PTR, CK_OBJECT_HANDLE),
              CK_RV (*run)(CK_SESSION_HANDLE, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR),
              CK_OBJECT_HANDLE key, sim::Bytes input, sim::Bytes& output) {
        CK_MECHANISM mechanism{CKM_RSA_PKCS, nullptr, 0};
        if (const CK_RV rv = init(session, &mechanism, key))
            return rv;
        CK_ULONG length = 0;
        if (const CK_RV rv = run(session, input.data(), input.size(), nullptr, &length))
            return rv;
        output.resize(length);
        const CK_RV rv = run(session, input.data(), input.size(), output.data(), &length);
        output.resize(length);
        return rv;
    }
    sim::Bytes DigestOf(CK_MECHANISM_TYPE type, const std::string& text) {
        CK_MECHANISM mechanism{type, nullptr, 0};
        sim::Bytes data = TextBytes(text);
        EXPECT_EQ(p11->C_DigestInit(session, &mechanism), CKR_OK);
        CK_ULONG length = 0;
        EXPECT_EQ(p11->C_Digest(session, data.data(), data.size(), nullptr, &length), CKR_OK);
        sim::Bytes digest(length);
        EXPECT_EQ(p11->C_Digest(session, data.data(), data.size(), digest.data(), &length), CKR_OK);
        return digest;
    }

    CK_SESSION_HANDLE session = 0;
    CK_OBJECT_HANDLE pub = 0, priv = 0;
};

TEST_F(TokenCryptoTest, GeneratesKeysOfTheTwoSizesOnly) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    EXPECT_EQ(Attribute(session, pub, CKA_MODULUS).size(), 128u);
    ASSERT_EQ(GenerateKeys(session, 2048, pub, priv), CKR_OK);
    EXPECT_EQ(Attribute(session, pub, CKA_MODULUS).size(), 256u);
    EXPECT_EQ(Attribute(session, pub, CKA_PUBLIC_EXPONENT), (sim::Bytes{1, 0, 1}));
    EXPECT_EQ(GenerateKeys(session, 1536, pub, priv), CKR_KEY_SIZE_RANGE);
    EXPECT_EQ(GenerateKeys(session, 512, pub, priv), CKR_KEY_SIZE_RANGE);
}

TEST_F(TokenCryptoTest, PrivateKeyKeepsItsSecretsAndIsPrivate) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    CK_ATTRIBUTE secret{CKA_PRIVATE_EXPONENT, nullptr, 0};
    EXPECT_EQ(p11->C_GetAttributeValue(session, priv, &secret, 1), CKR_ATTRIBUTE_SENSITIVE);
    EXPECT_EQ(Attribute(session, priv, CKA_PRIVATE), (sim::Bytes{CK_TRUE}));
    EXPECT_EQ(Attribute(session, pub, CKA_LABEL), TextBytes("NORVA PKCS#11 KEY", true));
}

TEST_F(TokenCryptoTest, SignatureVerifiesWithThePublicKey) {
    ASSERT_EQ(GenerateKeys(session, 2048, pub, priv), CKR_OK);
    const sim::Bytes data = {0x0A, 0x1B, 0x2C};
    sim::Bytes signature;
    ASSERT_EQ(Run(p11->C_SignInit, p11->C_Sign, priv, data, signature), CKR_OK);
    ASSERT_EQ(signature.size(), 256u);
    EXPECT_EQ(sim::VerifyPkcs1(PublicHalf(pub), data, signature), sim::TCryptoStatus::Ok);
    CK_MECHANISM mechanism{CKM_RSA_PKCS, nullptr, 0};
    sim::Bytes copy = data;
    ASSERT_EQ(p11->C_VerifyInit(session, &mechanism, pub), CKR_OK);
    EXPECT_EQ(p11->C_Verify(session, copy.data(), copy.size(), signature.data(), signature.size()),
              CKR_OK);
}

TEST_F(TokenCryptoTest, SigningTooMuchDataIsRefused) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    sim::Bytes signature;
    // A 1024-bit key signs at most 128 - 11 bytes with this padding.
    EXPECT_EQ(Run(p11->C_SignInit, p11->C_Sign, priv, sim::Bytes(117, 1), signature), CKR_OK);
    EXPECT_EQ(Run(p11->C_SignInit, p11->C_Sign, priv, sim::Bytes(118, 1), signature),
              CKR_DATA_LEN_RANGE);
}

TEST_F(TokenCryptoTest, ShortSignatureBufferKeepsTheOperationGoing) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    CK_MECHANISM mechanism{CKM_RSA_PKCS, nullptr, 0};
    ASSERT_EQ(p11->C_SignInit(session, &mechanism, priv), CKR_OK);
    sim::Bytes data = {1, 2, 3}, signature(1000);
    CK_ULONG length = 10;
    EXPECT_EQ(p11->C_Sign(session, data.data(), 3, signature.data(), &length),
              CKR_BUFFER_TOO_SMALL);
    EXPECT_EQ(length, 128u);
    length = 1000;
    EXPECT_EQ(p11->C_Sign(session, data.data(), 3, signature.data(), &length), CKR_OK);
    EXPECT_EQ(p11->C_Sign(session, data.data(), 3, signature.data(), &length),
              CKR_OPERATION_NOT_INITIALIZED);
}

TEST_F(TokenCryptoTest, DecryptsWhatThePublicKeyEncrypted) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    sim::Bytes block, plain;
    ASSERT_EQ(sim::EncryptPkcs1(PublicHalf(pub), {9, 8, 7, 6}, block), sim::TCryptoStatus::Ok);
    ASSERT_EQ(Run(p11->C_DecryptInit, p11->C_Decrypt, priv, block, plain), CKR_OK);
    EXPECT_EQ(plain, (sim::Bytes{9, 8, 7, 6}));
}

TEST_F(TokenCryptoTest, BlockThatIsNotAnEncryptionIsRefused) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    sim::Bytes plain;
    sim::Bytes garbage(128, 0x11);
    EXPECT_EQ(Run(p11->C_DecryptInit, p11->C_Decrypt, priv, garbage, plain),
              CKR_ENCRYPTED_DATA_INVALID);
    EXPECT_EQ(Run(p11->C_DecryptInit, p11->C_Decrypt, priv, sim::Bytes(20, 1), plain),
              CKR_ENCRYPTED_DATA_LEN_RANGE);
}

TEST_F(TokenCryptoTest, PrivateKeyIsUnusableWithoutLogin) {
    ASSERT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
    ASSERT_EQ(p11->C_Logout(session), CKR_OK);
    sim::Bytes signature;
    EXPECT_EQ(Run(p11->C_SignInit, p11->C_Sign, priv, {1}, signature), CKR_KEY_HANDLE_INVALID);
}

TEST_F(TokenCryptoTest, DigestsMatchKnownValues) {
    EXPECT_EQ(sim::ToHex(DigestOf(CKM_MD5, "abc")), "900150983CD24FB0D6963F7D28E17F72");
    const std::string sha512 = sim::ToHex(DigestOf(CKM_SHA512, "abc"));
    EXPECT_EQ(sha512.size(), 128u);
    EXPECT_EQ(sha512.substr(0, 32), "DDAF35A193617ABACC417349AE204131");
}

TEST_F(TokenCryptoTest, DigestWorksInAPublicSession) {
    ASSERT_EQ(p11->C_Logout(session), CKR_OK);
    EXPECT_EQ(DigestOf(CKM_MD5, "").size(), 16u);
    CK_MECHANISM unknown{CKM_SHA384, nullptr, 0};
    EXPECT_EQ(p11->C_DigestInit(session, &unknown), CKR_MECHANISM_INVALID);
}
