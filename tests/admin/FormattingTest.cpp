// Formatting: which token is formatted, what it holds afterwards, and what a failure at
// each step of a full formatting leaves on it.
#include "tests/admin/AdminFixture.h"

#include <ctime>

#include "testing/common/Bytes.h"
#include "tests/support/TokenKeys.h"

namespace {

constexpr char kNewPin[] = "24682468";

class Formatting : public AdminTest {
protected:
    void SetUp() override { InstallTavlink(); } // one blank token

    TZentorError Format(const std::string& so = kSoPin) {
        TZentorError result = ZTFindObjectsFailed;
        EXPECT_EQ(zentor.FormatToken(SingleByteBstr(so).Get(), &result), S_OK);
        EXPECT_EQ(Last(), result);
        return result;
    }

    std::string FullFormat(const std::string& so = kSoPin, const std::string& keyLength = "2") {
        OwnedBstr key;
        EXPECT_EQ(zentor.FullFormatToken(SingleByteBstr(kNewPin).Get(), SingleByteBstr(so).Get(),
                                         SingleByteBstr("300123456").Get(),
                                         SingleByteBstr("Dana Avigail Rosenberg-Katz").Get(),
                                         SingleByteBstr("Levi").Get(),
                                         SingleByteBstr(keyLength).Get(), key.Put()),
                  S_OK);
        EXPECT_NE(key.Get(), nullptr);
        return Text(key.Get());
    }

    size_t KeyObjects() { return norva::test::KeyObjectCount(sims.Tokens().readers.at(0).token); }

    std::string Label(size_t reader = 0) { return sims.Tokens().readers.at(reader).token.label; }
};

std::string Padded(const std::string& label) {
    return label + std::string(32 - label.size(), ' ');
}

TEST_F(Formatting, AFullFormattingLeavesAServiceTokenWithPinKeyAndNames) {
    const std::string key = FullFormat();
    EXPECT_EQ(Last(), ZTNoError);
    EXPECT_EQ(Label(), Padded("Trellmoor"));
    const tokensim::CTokenState state = sims.Tokens();
    EXPECT_EQ(state.readers.at(0).token.soPin, sim::Bytes(kSoPin, kSoPin + 8));
    EXPECT_EQ(state.readers.at(0).token.userPin, sim::Bytes(kNewPin, kNewPin + 8));
    EXPECT_EQ(KeyObjects(), 2u);
    ASSERT_EQ(key.size(), 512u);
    const std::optional<UserRecord> record = StoredRecord();
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(Field(record->UserID, 20), "300123456");
    EXPECT_EQ(Field(record->FirstName, 25), "Dana Avigail Rosenberg-K"); // 24 bytes kept
    EXPECT_EQ(Field(record->LastName, 25), "Levi");
    EXPECT_EQ(Field(record->Company, 50), "");
    EXPECT_EQ(Field(record->PINState, 20), "592604");
    EXPECT_EQ(Field(record->CreateTime, 15).size(), 14u);
    EXPECT_EQ(Get(&CZentor::get_PublicKey), key);
    EXPECT_EQ(zentor.get_NorvaEFTTokensCount(nullptr), S_OK);
    LONG count = 0;
    zentor.get_NorvaEFTTokensCount(&count);
    EXPECT_EQ(count, 1);
}

TEST_F(Formatting, CreateTimeIsTheLocalFormattingMomentDayFirst) {
    std::time_t before = std::time(nullptr);
    ASSERT_EQ(Format(), ZTNoError);
    std::time_t after = std::time(nullptr);
    const std::string created = Get(&CZentor::get_CreateTime);
    EXPECT_EQ(Last(), ZTNoError);
    bool matched = false;
    for (std::time_t t = before; t <= after; ++t) {
        char text[32] = {};
        std::strftime(text, sizeof text, "%d%m%Y%H%M%S", std::localtime(&t));
        matched = matched || created == text;
    }
    EXPECT_TRUE(matched) << created;
    // The record holds only the time.
    UserRecord expected = {};
    std::memcpy(expected.CreateTime, created.data(), created.size());
    const std::optional<UserRecord> stored = StoredRecord();
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(std::memcmp(&*stored, &expected, sizeof expected), 0);
    // A later put keeps it.
    zentor.put_Company(SingleByteBstr("Trellmoor Payments").Get());
    EXPECT_EQ(Get(&CZentor::get_CreateTime), created);
    EXPECT_EQ(Field(StoredRecord()->CreateTime, 15), created);
}

TEST_F(Formatting, OnlyASingleTokenIsFormatted) {
    struct Row {
        const char* name;
        std::function<void()> prepare;
        TZentorError expected;
        TPKCS11Error driverResult;
    };
    const Row rows[] = {
        {"two tokens",
         [this] {
             sims.EditTokens([](tokensim::CTokenState& s) { s.AddReader("Second Reader"); });
         },
         ZTTooManyTokens, ZT_CKR_OK},
        {"no token", [this] { RemoveTokens(); }, ZTNoTokenInserted, ZT_CKR_OK},
        {"only the hl device",
         [this] {
             RemoveTokens();
             InstallBrevo();
         },
         ZTNoTokenInserted, ZT_CKR_OK},
        {"wrong SO password", [this] { sims.PrepareToken("Other", kSoPin, kUserPin); },
         ZTInitTokenFailed, ZT_CKR_PIN_INCORRECT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.EditTokens([](tokensim::CTokenState& s) {
            s = tokensim::CTokenState{};
            s.AddReader("Reader");
        });
        row.prepare();
        const tokensim::CTokenState before = sims.Tokens();
        sims.ClearCalls();
        EXPECT_EQ(Format("11112222"), row.expected);
        if (row.driverResult != ZT_CKR_OK) {
            EXPECT_EQ(DriverResult(), row.driverResult);
        }
        const tokensim::CTokenState after = sims.Tokens();
        ASSERT_EQ(after.readers.size(), before.readers.size());
        for (size_t i = 0; i < before.readers.size(); ++i) {
            EXPECT_EQ(after.readers[i].token.label, before.readers[i].token.label);
            EXPECT_EQ(after.readers[i].token.objects.size(),
                      before.readers[i].token.objects.size());
        }
        EXPECT_EQ(row.expected == ZTInitTokenFailed ? 1u : 0u, TokenCallCount("C_InitToken"));
        EXPECT_EQ(TokenCallCount("C_CreateObject"), 0u);
    }
}

TEST_F(Formatting, ATokenTwoLibrariesSeeIsFormattedThroughTheFirst) {
    InstallEtPkcs11(); // the same token state as tavlink
    EXPECT_EQ(Format(), ZTNoError);
    LONG cardType = 0;
    zentor.get_CardType(&cardType);
    EXPECT_EQ(cardType, 1);
    EXPECT_EQ(Label(), Padded("Trellmoor"));
    EXPECT_EQ(TokenCallCount("C_InitToken"), 1u);
}

TEST_F(Formatting, AFullFormattingStoppedAtAnyStepLeavesWhatTheStepsBeforeDid) {
    struct Row {
        const char* name;
        const char* function;
        uint32_t onCall;
        TZentorError expected;
        bool formatted;
        bool userPin;
        const char* pinState; // null: no record
        size_t keys;
        const char* lastName;
    };
    // Attribute reads: the PIN step reads the record, then the public key is read.
    // Attribute writes: the PIN step's PINState, then UserID, FirstName, LastName.
    const Row rows[] = {
        {"format", "C_InitToken", 1, ZTInitTokenFailed, false, false, nullptr, 0, ""},
        {"officer login", "C_Login", 1, ZTLoginFailed, true, false, "", 0, ""},
        {"user PIN", "C_InitPIN", 1, ZTInitPINFailed, true, false, "", 0, ""},
        {"key pair", "C_GenerateKeyPair", 1, ZTGenerateKeyPairFailed, true, true, "592604", 0, ""},
        {"public key", "C_GetAttributeValue", 2, ZTGetPublicKeyFailed, true, true, "592604", 2, ""},
        {"user id", "C_SetAttributeValue", 2, ZTNoError, true, true, "592604", 2, "Levi"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sims.EditTokens([](tokensim::CTokenState& s) {
            s = tokensim::CTokenState{};
            s.AddReader("Reader");
        });
        sims.InjectTokenFault(row.function, CKR_DEVICE_ERROR, row.onCall);
        const std::string key = FullFormat(kSoPin, "1");
        EXPECT_EQ(Last(), row.expected);
        // The name writes after a refused one succeed and are the last driver results.
        EXPECT_EQ(DriverResult(), row.expected == ZTNoError ? ZT_CKR_OK : ZT_CKR_DEVICE_ERROR);
        EXPECT_EQ(key.size(), row.expected == ZTNoError ? 256u : 0u);
        const tokensim::CToken token = sims.Tokens().readers.at(0).token;
        EXPECT_EQ(token.label == Padded("Trellmoor"), row.formatted);
        EXPECT_EQ(token.userPinInitialized, row.userPin);
        EXPECT_EQ(KeyObjects(), row.keys);
        const std::optional<UserRecord> record = StoredRecord();
        ASSERT_EQ(record.has_value(), row.pinState != nullptr);
        if (record) {
            EXPECT_EQ(Field(record->PINState, 20), row.pinState);
            EXPECT_EQ(Field(record->CreateTime, 15).size(), 14u);
            EXPECT_EQ(Field(record->UserID, 20), "");
            EXPECT_EQ(Field(record->LastName, 25), row.lastName);
        }
    }
}

TEST_F(Formatting, BesideABlankTokenEveryServiceOperationAnswersTooManyTokens) {
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    zentor.put_FirstName(SingleByteBstr("Dana").Get());
    sims.EditTokens([](tokensim::CTokenState& s) { s.AddReader("Second Reader"); });
    zentor.put_CardType(1);
    const tokensim::CTokenState before = sims.Tokens();
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    const OwnedBstr so = SingleByteBstr(kSoPin);
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"get", [&] { Get(&CZentor::get_FirstName); }},
        {"put", [&] { zentor.put_LastName(pin.Get()); }},
        {"public key", [&] { Get(&CZentor::get_PublicKey); }},
        {"keys", [&] { zentor.GenerateKeys(pin.Get(), nullptr); }},
        {"init PIN", [&] { zentor.InitPIN(pin.Get(), so.Get(), nullptr); }},
        {"change PIN", [&] { zentor.ChangePIN(pin.Get(), so.Get(), nullptr); }},
        {"format", [&] { zentor.FormatToken(so.Get(), nullptr); }},
        {"full format",
         [&] {
             OwnedBstr key;
             zentor.FullFormatToken(pin.Get(), so.Get(), pin.Get(), pin.Get(), pin.Get(), pin.Get(),
                                    key.Put());
         }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        operation();
        EXPECT_EQ(Last(), ZTTooManyTokens);
    }
    const tokensim::CTokenState after = sims.Tokens();
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(after.readers[i].token.label, before.readers[i].token.label);
        EXPECT_EQ(after.readers[i].token.userPin, before.readers[i].token.userPin);
        ASSERT_EQ(after.readers[i].token.objects.size(), before.readers[i].token.objects.size());
        for (size_t j = 0; j < after.readers[i].token.objects.size(); ++j) {
            EXPECT_EQ(*after.readers[i].token.objects[j].Find(CKA_VALUE),
                      *before.readers[i].token.objects[j].Find(CKA_VALUE));
        }
    }
}

} // namespace
