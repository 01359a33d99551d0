// The hl_* device simulator through its exported functions, loaded as the component
// loads it.
#include <gtest/gtest.h>

#include <cstring>

#include "component/access/drivers/HlApi.h"
#include "testing/common/Crypto.h"
#include "testing/support/SimFixture.h"

class HlSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        library =
            std::make_unique<sim::CLoadedLibrary>(sims.Install(sim::TSimulator::Device, "brevo32"));
        ASSERT_TRUE(library->Loaded());
        for (const char* name : kHlFunctionNames)
            ASSERT_NE(library->Get<void*>(name), nullptr) << name;
        on = library->Get<PFN_hl_on>("hl_on");
        off = library->Get<PFN_hl_off>("hl_off");
        logon = library->Get<PFN_hl_logon>("hl_logon");
        ASSERT_EQ(on(&handle, 1, 0), HL_OK);
    }
    void TearDown() override { off(handle); }

    template <typename T> T Fn(const char* name) { return library->Get<T>(name); }
    sim::CRsaKey PublicKey() {
        HlPublicKeyRecord record{};
        EXPECT_EQ(Fn<PFN_hl_get_public_key>("hl_get_public_key")(handle, &record), HL_OK);
        return sim::CRsaKey{
            sim::Bytes(record.bytes, record.bytes + record.byteCount), {1, 0, 1}, {}, {}, {}, {}};
    }

    sim::CSimFixture sims;
    std::unique_ptr<sim::CLoadedLibrary> library;
    PFN_hl_on on = nullptr;
    PFN_hl_off off = nullptr;
    PFN_hl_logon logon = nullptr;
    int32_t handle = -1;
};

TEST_F(HlSimTest, LogonTakesThePinAsTheDeviceReceivesIt) {
    // The letters "a" and "t" typed on a Hebrew keyboard arrive as 0x99 and 0x80.
    sims.EditCard([](hlsim::CHlState& card) { card.pin = {0x99, 0x80, '1', '2'}; });
    EXPECT_EQ(logon(handle, "at12"), HL_ERR_WRONG_PIN);
    EXPECT_EQ(logon(handle, "\x99\x80"
                            "12"),
              HL_OK);
    EXPECT_EQ(sims.HlCalls().back().Arg("pin"), "99803132");
}

TEST_F(HlSimTest, ExpiredPinAnswers41028UntilChanged) {
    sims.EditCard([](hlsim::CHlState& card) { card.pinExpired = true; });
    EXPECT_EQ(logon(handle, "123456"), 41028);
    const auto change = Fn<PFN_hl_change_password>("hl_change_password");
    EXPECT_EQ(change(handle, "000000", "654321"), HL_ERR_WRONG_PIN);
    ASSERT_EQ(change(handle, "123456", "654321"), HL_OK);
    EXPECT_EQ(logon(handle, "654321"), HL_OK);
    EXPECT_FALSE(sims.Card().pinExpired);
}

TEST_F(HlSimTest, WrongPinsLockTheCard) {
    EXPECT_EQ(logon(handle, "1"), HL_ERR_WRONG_PIN);
    EXPECT_EQ(logon(handle, "2"), HL_ERR_WRONG_PIN);
    EXPECT_EQ(logon(handle, "3"), HL_ERR_PIN_LOCKED);
    EXPECT_EQ(logon(handle, "123456"), HL_ERR_PIN_LOCKED);
    int32_t left = -1;
    EXPECT_EQ(Fn<PFN_hl_remaining_pwd_attempts>("hl_remaining_pwd_attempts")(handle, &left), 0);
    EXPECT_EQ(left, 0);
}

TEST_F(HlSimTest, HolderDataHasTextsAndNumbersAtTheirPositions) {
    uint8_t block[100];
    std::memset(block, 0xEE, sizeof block);
    ASSERT_EQ(Fn<PFN_hl_get_user_data>("hl_get_user_data")(handle, block), HL_OK);
    EXPECT_STREQ(reinterpret_cast<char*>(block), "300123456");
    EXPECT_STREQ(reinterpret_cast<char*>(block + 32), "Levi");
    int32_t numbers[7];
    std::memcpy(numbers, block + 72, sizeof numbers);
    EXPECT_EQ(numbers[0], 128); // key length in bytes
    EXPECT_EQ(numbers[1], 30);  // second
    EXPECT_EQ(numbers[2], 20);  // minute
    EXPECT_EQ(numbers[3], 10);  // hour
    EXPECT_EQ(numbers[4], 15);  // day
    EXPECT_EQ(numbers[5], 3);   // month
    EXPECT_EQ(numbers[6], 126); // year - 1900
}

TEST_F(HlSimTest, SpecialDataHasNamesAtTheirPositionsAndChecksTheSize) {
    sims.EditCard([](hlsim::CHlState& card) { hlsim::SetField(card.specialData.company, "Acme"); });
    const auto special = Fn<PFN_hl_get_special_user_data>("hl_get_special_user_data");
    uint8_t block[109] = {};
    int32_t size = 50;
    EXPECT_EQ(special(handle, block, &size, 0), HL_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 109);
    ASSERT_EQ(special(handle, block, &size, 0), HL_OK);
    EXPECT_STREQ(reinterpret_cast<char*>(block + 50), "Dana");
    EXPECT_STREQ(reinterpret_cast<char*>(block + 72), "Acme");
}

TEST_F(HlSimTest, PublicKeyRecordHoldsTheModulus) {
    const hlsim::CHlState card = sims.Card();
    uint8_t record[196];
    ASSERT_EQ(Fn<PFN_hl_get_public_key>("hl_get_public_key")(handle, record), HL_OK);
    int32_t count = 0;
    std::memcpy(&count, record, 4);
    ASSERT_EQ(count, 128);
    EXPECT_EQ(sim::Bytes(record + 4, record + 4 + count), card.key.n);
}

TEST_F(HlSimTest, SignatureVerifiesWithThePublicKey) {
    ASSERT_EQ(logon(handle, "123456"), HL_OK);
    const sim::Bytes digest = sim::Digest(sim::TDigest::Sha1, {1, 2, 3});
    uint8_t signature[128];
    ASSERT_EQ(Fn<PFN_hl_sign>("hl_sign")(handle, digest.data(), 20, signature, 0, 1), HL_OK);
    EXPECT_EQ(sim::VerifyPkcs1(PublicKey(), digest, sim::Bytes(signature, signature + 128)),
              sim::TCryptoStatus::Ok);
}

TEST_F(HlSimTest, SigningNeedsLogon) {
    uint8_t data[4] = {}, signature[128];
    EXPECT_EQ(Fn<PFN_hl_sign>("hl_sign")(handle, data, 4, signature, 0, 1), HL_ERR_NOT_LOGGED_ON);
    ASSERT_EQ(logon(handle, "123456"), HL_OK);
    ASSERT_EQ(Fn<PFN_hl_logoff>("hl_logoff")(handle), HL_OK);
    EXPECT_EQ(Fn<PFN_hl_sign>("hl_sign")(handle, data, 4, signature, 0, 1), HL_ERR_NOT_LOGGED_ON);
}

TEST_F(HlSimTest, DecryptIsTheRawPrivateKeyOperation) {
    ASSERT_EQ(logon(handle, "123456"), HL_OK);
    sim::Bytes block;
    ASSERT_EQ(sim::EncryptPkcs1(PublicKey(), {5, 6, 7}, block), sim::TCryptoStatus::Ok);
    uint8_t plain[128];
    ASSERT_EQ(Fn<PFN_hl_RSA_decrypt>("hl_RSA_decrypt")(handle, block.data(), plain, 0), HL_OK);
    // The padding stays: 00 02, random non-zero bytes, 00, then the data.
    EXPECT_EQ(plain[0], 0x00);
    EXPECT_EQ(plain[1], 0x02);
    EXPECT_EQ(plain[124], 0x00);
    EXPECT_EQ(sim::Bytes(plain + 125, plain + 128), (sim::Bytes{5, 6, 7}));
}

TEST_F(HlSimTest, HashingFollowsTheDescriptionRecord) {
    HlHashDetails details{};
    details.size = 80;
    ASSERT_EQ(Fn<PFN_hl_get_hash_alg_details>("hl_get_hash_alg_details")(handle, 1, &details), 0);
    uint8_t raw[80];
    std::memcpy(raw, &details, 80);
    int32_t length = 0;
    std::memcpy(&length, raw + 12, 4);
    EXPECT_EQ(length, 20);
    uint8_t context[264], digest[64];
    ASSERT_EQ(Fn<PFN_hl_init_hash>("hl_init_hash")(handle, 1, context), HL_OK);
    ASSERT_EQ(Fn<PFN_hl_cont_hash>("hl_cont_hash")(context, "a", 1), HL_OK);
    ASSERT_EQ(Fn<PFN_hl_cont_hash>("hl_cont_hash")(context, "bc", 2), HL_OK);
    ASSERT_EQ(Fn<PFN_hl_end_hash>("hl_end_hash")(context, digest), HL_OK);
    EXPECT_EQ(sim::ToHex(digest, 20), "A9993E364706816ABA3E25717850C26C9CD0D89D");
}

TEST_F(HlSimTest, ForeignHashContextIsRefused) {
    uint8_t context[264] = {1, 2, 3}, digest[64];
    EXPECT_EQ(Fn<PFN_hl_cont_hash>("hl_cont_hash")(context, "a", 1), HL_ERR_BAD_CONTEXT);
    EXPECT_EQ(Fn<PFN_hl_end_hash>("hl_end_hash")(nullptr, digest), HL_ERR_BAD_CONTEXT);
    HlHashDetails small{};
    small.size = 40;
    EXPECT_EQ(Fn<PFN_hl_get_hash_alg_details>("hl_get_hash_alg_details")(handle, 1, &small),
              HL_ERR_BUFFER_TOO_SMALL);
}

TEST_F(HlSimTest, EjectedCardIsReportedAndUnknownHandleRefused) {
    const auto media = Fn<PFN_hl_is_media_available>("hl_is_media_available");
    EXPECT_EQ(media(handle), HL_OK);
    sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
    EXPECT_NE(media(handle), HL_OK);
    EXPECT_EQ(off(-1), HL_ERR_BAD_HANDLE);
}

TEST_F(HlSimTest, FaultAndCallLogWorkAsForTheToken) {
    sims.InjectHlFault("hl_is_media_available", 7, 1);
    const auto media = Fn<PFN_hl_is_media_available>("hl_is_media_available");
    EXPECT_EQ(media(handle), 7);
    EXPECT_EQ(media(handle), HL_OK);
    const auto calls = sims.HlCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0].function, "hl_on");
    EXPECT_EQ(calls[1].result, 7u);
    EXPECT_EQ(calls[1].Arg("handle"), std::to_string(handle));
}

TEST_F(HlSimTest, DefaultParameterChangeIsRecorded) {
    EXPECT_EQ(Fn<PFN_hl_change_def_int_param>("hl_change_def_int_param")(handle, 6, 0), HL_OK);
    EXPECT_EQ(sims.Card().intParams.at(6), 0);
}
