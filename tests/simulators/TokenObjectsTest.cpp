// Data objects, visibility, attribute reads and writes, and searches.
#include "tests/simulators/TokenSimFixture.h"

class TokenObjectsTest : public TokenSimTest {
protected:
    std::vector<CK_OBJECT_HANDLE> FindData(CK_SESSION_HANDLE session, sim::Bytes label) {
        CK_OBJECT_CLASS dataClass = CKO_DATA;
        return Find(session, {{CKA_CLASS, &dataClass, sizeof dataClass},
                              {CKA_LABEL, label.data(), Len(label)}});
    }
};

TEST_F(TokenObjectsTest, PublicObjectIsCreatedInAPublicReadWriteSession) {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open();
    const CK_OBJECT_HANDLE object = CreateData(session, "NorvaEFTUserData", {7, 8, 9}, false);
    const tokensim::CObject stored = sims.Tokens().readers[0].token.objects.at(0);
    EXPECT_EQ(stored.handle, object);
    EXPECT_EQ(*stored.Find(CKA_LABEL), TextBytes("NorvaEFTUserData", true));
    EXPECT_EQ(*stored.Find(CKA_VALUE), (sim::Bytes{7, 8, 9}));
}

TEST_F(TokenObjectsTest, ReadOnlySessionCannotCreate) {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open(CKF_SERIAL_SESSION);
    CK_OBJECT_CLASS dataClass = CKO_DATA;
    CK_BBOOL token = CK_TRUE;
    CK_ATTRIBUTE attributes[] = {{CKA_CLASS, &dataClass, sizeof dataClass}, {CKA_TOKEN, &token, 1}};
    CK_OBJECT_HANDLE object = 0;
    EXPECT_EQ(p11->C_CreateObject(session, attributes, 2, &object), CKR_SESSION_READ_ONLY);
}

TEST_F(TokenObjectsTest, PrivateObjectNeedsAndIsSeenOnlyWithUserLogin) {
    ReadyToken();
    CK_SESSION_HANDLE session = Open();
    CK_OBJECT_CLASS dataClass = CKO_DATA;
    CK_BBOOL yes = CK_TRUE;
    CK_ATTRIBUTE attributes[] = {
        {CKA_CLASS, &dataClass, sizeof dataClass}, {CKA_TOKEN, &yes, 1}, {CKA_PRIVATE, &yes, 1}};
    CK_OBJECT_HANDLE object = 0;
    EXPECT_EQ(p11->C_CreateObject(session, attributes, 3, &object), CKR_USER_NOT_LOGGED_IN);
    ASSERT_EQ(Login(session, CKU_USER, "1234"), CKR_OK);
    object = CreateData(session, "secret", {1}, true);
    EXPECT_EQ(FindData(session, TextBytes("secret", true)).size(), 1u);
    ASSERT_EQ(p11->C_CloseSession(session), CKR_OK);
    session = Open();
    EXPECT_TRUE(FindData(session, TextBytes("secret", true)).empty());
    EXPECT_TRUE(Attribute(session, object, CKA_VALUE).empty());
}

TEST_F(TokenObjectsTest, SearchComparesValueBytesAndLengthExactly) {
    const CK_SESSION_HANDLE session = UserSession();
    const CK_OBJECT_HANDLE object = CreateData(session, "NorvaEFTUserData", {1}, false);
    EXPECT_EQ(FindData(session, TextBytes("NorvaEFTUserData", true)),
              std::vector<CK_OBJECT_HANDLE>{object});
    EXPECT_TRUE(FindData(session, TextBytes("NorvaEFTUserData", false)).empty());
    EXPECT_TRUE(FindData(session, TextBytes("norvaEFTUserData", true)).empty());
}

TEST_F(TokenObjectsTest, SearchReturnsAsManyHandlesAsAskedPerCall) {
    const CK_SESSION_HANDLE session = UserSession();
    for (int i = 0; i < 3; ++i)
        CreateData(session, "same", {static_cast<uint8_t>(i)}, false);
    sim::Bytes label = TextBytes("same", true);
    CK_ATTRIBUTE attribute{CKA_LABEL, label.data(), Len(label)};
    ASSERT_EQ(p11->C_FindObjectsInit(session, &attribute, 1), CKR_OK);
    EXPECT_EQ(p11->C_FindObjectsInit(session, &attribute, 1), CKR_OPERATION_ACTIVE);
    CK_OBJECT_HANDLE found[2];
    CK_ULONG count = 0;
    ASSERT_EQ(p11->C_FindObjects(session, found, 2, &count), CKR_OK);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(p11->C_FindObjects(session, found, 2, &count), CKR_OK);
    EXPECT_EQ(count, 1u);
    ASSERT_EQ(p11->C_FindObjectsFinal(session), CKR_OK);
    EXPECT_EQ(p11->C_FindObjectsFinal(session), CKR_OPERATION_NOT_INITIALIZED);
}

TEST_F(TokenObjectsTest, DataValueCanBeReplaced) {
    const CK_SESSION_HANDLE session = UserSession();
    const CK_OBJECT_HANDLE object = CreateData(session, "NorvaEFTUserData", {1, 2}, false);
    sim::Bytes record(175, 0x41);
    CK_ATTRIBUTE value{CKA_VALUE, record.data(), Len(record)};
    ASSERT_EQ(p11->C_SetAttributeValue(session, object, &value, 1), CKR_OK);
    EXPECT_EQ(Attribute(session, object, CKA_VALUE), record);
    CK_OBJECT_CLASS otherClass = CKO_CERTIFICATE;
    CK_ATTRIBUTE fixed{CKA_CLASS, &otherClass, sizeof otherClass};
    EXPECT_EQ(p11->C_SetAttributeValue(session, object, &fixed, 1), CKR_ATTRIBUTE_READ_ONLY);
}

TEST_F(TokenObjectsTest, AttributeReadFollowsTheLengthConvention) {
    const CK_SESSION_HANDLE session = UserSession();
    const CK_OBJECT_HANDLE object = CreateData(session, "x", sim::Bytes(40, 5), false);
    sim::Bytes buffer(175, 0);
    CK_ATTRIBUTE read{CKA_VALUE, buffer.data(), Len(buffer)};
    ASSERT_EQ(p11->C_GetAttributeValue(session, object, &read, 1), CKR_OK);
    EXPECT_EQ(read.ulValueLen, 40u);
    CK_ATTRIBUTE small{CKA_VALUE, buffer.data(), 10};
    EXPECT_EQ(p11->C_GetAttributeValue(session, object, &small, 1), CKR_BUFFER_TOO_SMALL);
    EXPECT_EQ(small.ulValueLen, CK_UNAVAILABLE_INFORMATION);
    CK_ATTRIBUTE missing{CKA_MODULUS, buffer.data(), Len(buffer)};
    EXPECT_EQ(p11->C_GetAttributeValue(session, object, &missing, 1), CKR_ATTRIBUTE_TYPE_INVALID);
}

TEST_F(TokenObjectsTest, NumbersAndFlagsOfWrongSizeAreRefused) {
    const CK_SESSION_HANDLE session = UserSession();
    uint8_t shortClass = 0;
    CK_BBOOL yes = CK_TRUE;
    CK_ATTRIBUTE attributes[] = {{CKA_CLASS, &shortClass, 1}, {CKA_TOKEN, &yes, 1}};
    CK_OBJECT_HANDLE object = 0;
    EXPECT_EQ(p11->C_CreateObject(session, attributes, 2, &object), CKR_ATTRIBUTE_VALUE_INVALID);
}

TEST_F(TokenObjectsTest, ObjectsSurviveUnloadingTheLibrary) {
    const CK_SESSION_HANDLE session = UserSession();
    CreateData(session, "NorvaEFTUserData", {4, 2}, false);
    Unload();
    Load();
    const CK_SESSION_HANDLE again = Open();
    const auto found = FindData(again, TextBytes("NorvaEFTUserData", true));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(Attribute(again, found[0], CKA_VALUE), (sim::Bytes{4, 2}));
}

TEST_F(TokenObjectsTest, DestroyedObjectIsGone) {
    const CK_SESSION_HANDLE session = UserSession();
    const CK_OBJECT_HANDLE object = CreateData(session, "gone", {1}, false);
    ASSERT_EQ(p11->C_DestroyObject(session, object), CKR_OK);
    EXPECT_EQ(p11->C_DestroyObject(session, object), CKR_OBJECT_HANDLE_INVALID);
    EXPECT_TRUE(sims.Tokens().readers[0].token.objects.empty());
}
