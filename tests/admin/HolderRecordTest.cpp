// The holder's names: what a put leaves in the record on the token, what a get returns,
// and when the token is read.
#include "tests/admin/AdminFixture.h"

#include <functional>
#include <vector>

namespace {

class HolderRecord : public AdminTest {
protected:
    void SetUp() override {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    }

    void Put(HRESULT (STDMETHODCALLTYPE CZentor::*put)(BSTR),
             const std::optional<std::string>& value) {
        const OwnedBstr text = value ? SingleByteBstr(*value) : OwnedBstr();
        EXPECT_EQ((zentor.*put)(text.Get()), S_OK);
    }
};

TEST_F(HolderRecord, PutsCutBlanksSurviveAndNullClears) {
    using Putter = HRESULT (STDMETHODCALLTYPE CZentor::*)(BSTR);
    using Getter = HRESULT (STDMETHODCALLTYPE CZentor::*)(BSTR*);
    struct Row {
        const char* name;
        Putter put;
        Getter get;
        size_t offset;
        size_t width;
        std::optional<std::string> value;
        std::string stored; // the field's text on the token
        std::string read;   // what a get returns
    };
    const std::string thirty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd";
    const Row rows[] = {
        {"first name cut", &CZentor::put_FirstName, &CZentor::get_FirstName, 0, 25, thirty,
         thirty.substr(0, 24), thirty.substr(0, 24)},
        {"last name blanks", &CZentor::put_LastName, &CZentor::get_LastName, 25, 25, "  abc  ",
         "  abc  ", "abc"},
        {"company cut", &CZentor::put_Company, &CZentor::get_Company, 50, 50, thirty + thirty,
         (thirty + thirty).substr(0, 49), (thirty + thirty).substr(0, 49)},
        {"user id cut", &CZentor::put_UserID, &CZentor::get_UserID, 115, 20, thirty,
         thirty.substr(0, 19), thirty.substr(0, 19)},
        {"user code", &CZentor::put_UserCode, &CZentor::get_UserCode, 155, 20, "\tU7 ", "\tU7 ",
         "\tU7"},
        {"first name null", &CZentor::put_FirstName, &CZentor::get_FirstName, 0, 25, std::nullopt,
         "", ""},
        {"company empty", &CZentor::put_Company, &CZentor::get_Company, 50, 50, "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<UserRecord> before = StoredRecord();
        Put(row.put, row.value);
        EXPECT_EQ(Last(), ZTNoError);
        const std::optional<UserRecord> after = StoredRecord();
        ASSERT_TRUE(after.has_value());
        const auto* bytes = reinterpret_cast<const char*>(&*after);
        EXPECT_EQ(Field(bytes + row.offset, row.width), row.stored);
        EXPECT_EQ(bytes[row.offset + row.width - 1], '\0');
        for (size_t i = row.offset + row.stored.size(); i < row.offset + row.width; ++i) {
            EXPECT_EQ(bytes[i], '\0') << "byte " << i;
        }
        if (before) { // every other byte as it was
            const auto* old = reinterpret_cast<const char*>(&*before);
            for (size_t i = 0; i < sizeof(UserRecord); ++i) {
                if (i < row.offset || i >= row.offset + row.width) {
                    EXPECT_EQ(bytes[i], old[i]) << "byte " << i;
                }
            }
        }
        EXPECT_EQ(Get(row.get), row.read);
        EXPECT_EQ(Last(), ZTNoError);
    }
}

TEST_F(HolderRecord, AGetWithoutARecordIsEmptyAndSaysSo) {
    EXPECT_EQ(Get(&CZentor::get_LastName), "");
    EXPECT_EQ(Last(), ZTDataItemNotFound);
    Put(&CZentor::put_LastName, "Levi");
    const std::optional<UserRecord> stored = StoredRecord();
    ASSERT_TRUE(stored.has_value());
    UserRecord expected = {};
    std::memcpy(expected.LastName, "Levi", 4);
    EXPECT_EQ(std::memcmp(&*stored, &expected, sizeof expected), 0); // zero bytes elsewhere
}

TEST_F(HolderRecord, TheTokenIsReadUntilTheRecordNamesAUser) {
    Put(&CZentor::put_FirstName, "Dana");
    sims.ClearCalls();
    Get(&CZentor::get_FirstName);
    Get(&CZentor::get_FirstName);
    EXPECT_EQ(TokenCallCount("C_GetAttributeValue"), 2u); // no user id: read every time
    Put(&CZentor::put_UserID, "300123456");
    sims.ClearCalls();
    EXPECT_EQ(Get(&CZentor::get_FirstName), "Dana");
    EXPECT_EQ(Get(&CZentor::get_UserID), "300123456");
    EXPECT_EQ(TokenCallCount("C_GetAttributeValue"), 0u);
}

TEST_F(HolderRecord, ARefusedWriteIsNotReportedAsTheTokensContent) {
    Put(&CZentor::put_UserID, "300123456");
    Put(&CZentor::put_FirstName, "Dana");
    sims.InjectTokenFault("C_SetAttributeValue", CKR_DEVICE_ERROR, 1);
    Put(&CZentor::put_FirstName, "Yael");
    EXPECT_EQ(Last(), ZTSetAttributeValueFailed);
    EXPECT_EQ(DriverResult(), CKR_DEVICE_ERROR);
    EXPECT_EQ(Field(StoredRecord()->FirstName, 25), "Dana");
    EXPECT_EQ(Get(&CZentor::get_FirstName), "Dana");
    EXPECT_EQ(Last(), ZTNoError);
    // A put after the refusal builds on the token's record, not on the refused one.
    Put(&CZentor::put_LastName, "Levi");
    EXPECT_EQ(Field(StoredRecord()->FirstName, 25), "Dana");
    EXPECT_EQ(Field(StoredRecord()->LastName, 25), "Levi");
}

TEST_F(HolderRecord, APutAfterAFailedReadWritesNothingAndReportsWhatItsWriteWould) {
    Put(&CZentor::put_FirstName, "Dana"); // no user id: every put reads the token again
    const std::vector<tokensim::CObject> before = sims.Tokens().readers.at(0).token.objects;
    struct Row {
        const char* name;
        std::function<void()> fault;
        TZentorError reported;
    };
    const auto faultOnce = [this](const char* function, CK_RV rv) {
        return [this, function, rv] { sims.InjectTokenFault(function, rv, 1); };
    };
    const Row rows[] = {
        {"two records",
         [this] {
             sims.EditTokens([](tokensim::CTokenState& state) {
                 tokensim::CToken& token = state.readers.at(0).token;
                 tokensim::CObject copy = token.objects.at(0);
                 copy.handle = token.nextHandle++;
                 token.objects.push_back(copy);
             });
         },
         ZTFindDataItemFailed},
        {"search refused", faultOnce("C_FindObjects", CKR_DEVICE_ERROR), ZTFindDataItemFailed},
        {"search start refused", faultOnce("C_FindObjectsInit", CKR_DEVICE_ERROR),
         ZTFindDataItemFailed},
        // The write would find the one record and replace it with a blank one.
        {"value unreadable", faultOnce("C_GetAttributeValue", CKR_DEVICE_ERROR),
         ZTGetAttributeValueFailed},
        {"no session", faultOnce("C_OpenSession", CKR_DEVICE_ERROR), ZTOpenSessionFailed},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.fault();
        const std::vector<tokensim::CObject> start = sims.Tokens().readers.at(0).token.objects;
        sims.ClearCalls();
        Put(&CZentor::put_LastName, "Levi");
        EXPECT_EQ(Last(), row.reported);
        EXPECT_EQ(TokenCallCount("C_SetAttributeValue"), 0u);
        EXPECT_EQ(TokenCallCount("C_CreateObject"), 0u);
        const std::vector<tokensim::CObject> after = sims.Tokens().readers.at(0).token.objects;
        ASSERT_EQ(after.size(), start.size());
        for (size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(*after[i].Find(CKA_VALUE), *start[i].Find(CKA_VALUE));
        }
        sims.EditTokens(
            [&](tokensim::CTokenState& state) { state.readers.at(0).token.objects = before; });
    }
    EXPECT_EQ(Field(StoredRecord()->FirstName, 25), "Dana");
}

TEST_F(HolderRecord, OnTheHlDeviceThePutsSucceedAndChangeNothing) {
    RemoveTokens();
    InstallBrevo();
    zentor.put_CardType(2);
    EXPECT_EQ(Get(&CZentor::get_LastName), "Levi");
    EXPECT_EQ(Get(&CZentor::get_FirstName), "Dana");
    EXPECT_EQ(Get(&CZentor::get_Company), "Trellmoor Payments");
    EXPECT_EQ(Get(&CZentor::get_UserID), "300123456");
    EXPECT_EQ(Get(&CZentor::get_UserCode), "");
    Put(&CZentor::put_LastName, "Cohen");
    EXPECT_EQ(Last(), ZTNoError);
    EXPECT_EQ(Get(&CZentor::get_LastName), "Levi");
}

} // namespace
