#include "tests/simulators/TokenSimFixture.h"

void TokenSimTest::SetUp() {
    path = sims.Install(sim::TSimulator::Token, "tavlink");
    Load();
}

void TokenSimTest::TearDown() {
    Unload();
}

void TokenSimTest::Load() {
    library = std::make_unique<sim::CLoadedLibrary>(path);
    ASSERT_TRUE(library->Loaded());
    auto getList = library->Get<CK_C_GetFunctionList>("C_GetFunctionList");
    ASSERT_NE(getList, nullptr);
    ASSERT_EQ(getList(&p11), CKR_OK);
    CK_C_INITIALIZE_ARGS args{};
    args.flags = CKF_OS_LOCKING_OK;
    ASSERT_EQ(p11->C_Initialize(&args), CKR_OK);
}

void TokenSimTest::Unload() {
    if (p11)
        p11->C_Finalize(nullptr);
    p11 = nullptr;
    library.reset();
}

CK_SLOT_ID TokenSimTest::FirstSlot() {
    CK_SLOT_ID slots[20];
    CK_ULONG count = 20;
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);
    EXPECT_GE(count, 1u);
    return slots[0];
}

CK_SESSION_HANDLE TokenSimTest::Open(CK_FLAGS flags) {
    CK_SESSION_HANDLE session = 0;
    EXPECT_EQ(p11->C_OpenSession(FirstSlot(), flags, nullptr, nullptr, &session), CKR_OK);
    return session;
}

CK_RV TokenSimTest::Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, const std::string& pin) {
    std::string copy = pin;
    return p11->C_Login(session, user, reinterpret_cast<CK_UTF8CHAR_PTR>(copy.data()), copy.size());
}

CK_SLOT_ID TokenSimTest::ReadyToken() {
    return sims.PrepareToken("Trellmoor", "87654321", "1234");
}

CK_SESSION_HANDLE TokenSimTest::UserSession() {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_OK);
    return session;
}

std::vector<CK_OBJECT_HANDLE> TokenSimTest::Find(CK_SESSION_HANDLE session,
                                                 std::vector<CK_ATTRIBUTE> attributes) {
    std::vector<CK_OBJECT_HANDLE> found(10);
    CK_ULONG count = 0;
    EXPECT_EQ(p11->C_FindObjectsInit(session, attributes.data(), attributes.size()), CKR_OK);
    EXPECT_EQ(p11->C_FindObjects(session, found.data(), found.size(), &count), CKR_OK);
    EXPECT_EQ(p11->C_FindObjectsFinal(session), CKR_OK);
    found.resize(count);
    return found;
}

sim::Bytes TokenSimTest::Attribute(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                                   CK_ATTRIBUTE_TYPE type) {
    CK_ATTRIBUTE query{type, nullptr, 0};
    if (p11->C_GetAttributeValue(session, object, &query, 1) != CKR_OK)
        return {};
    sim::Bytes value(query.ulValueLen);
    CK_ATTRIBUTE read{type, value.data(), Len(value)};
    EXPECT_EQ(p11->C_GetAttributeValue(session, object, &read, 1), CKR_OK);
    return value;
}

CK_OBJECT_HANDLE TokenSimTest::CreateData(CK_SESSION_HANDLE session, const std::string& label,
                                          const sim::Bytes& value, bool isPrivate) {
    CK_OBJECT_CLASS dataClass = CKO_DATA;
    sim::Bytes text = TextBytes(label, true);
    sim::Bytes application = TextBytes("NorvaEFT", true);
    sim::Bytes data = value;
    CK_BBOOL privateFlag = isPrivate ? CK_TRUE : CK_FALSE;
    CK_BBOOL token = CK_TRUE;
    CK_ATTRIBUTE attributes[] = {
        {CKA_CLASS, &dataClass, sizeof dataClass},
        {CKA_TOKEN, &token, 1},
        {CKA_PRIVATE, &privateFlag, 1},
        {CKA_LABEL, text.data(), Len(text)},
        {CKA_APPLICATION, application.data(), Len(application)},
        {CKA_VALUE, data.data(), Len(data)},
    };
    CK_OBJECT_HANDLE object = 0;
    EXPECT_EQ(p11->C_CreateObject(session, attributes, 6, &object), CKR_OK);
    return object;
}

CK_RV TokenSimTest::GenerateKeys(CK_SESSION_HANDLE session, CK_ULONG bits,
                                 CK_OBJECT_HANDLE& publicKey, CK_OBJECT_HANDLE& privateKey) {
    CK_MECHANISM mechanism{CKM_RSA_PKCS_KEY_PAIR_GEN, nullptr, 0};
    CK_BBOOL yes = CK_TRUE;
    CK_BYTE exponent[] = {1, 0, 1};
    sim::Bytes label = TextBytes("NORVA PKCS#11 KEY", true);
    CK_ATTRIBUTE publicTemplate[] = {
        {CKA_TOKEN, &yes, 1},
        {CKA_LABEL, label.data(), Len(label)},
        {CKA_MODULUS_BITS, &bits, sizeof bits},
        {CKA_PUBLIC_EXPONENT, exponent, 3},
        {CKA_ENCRYPT, &yes, 1},
        {CKA_VERIFY, &yes, 1},
    };
    CK_ATTRIBUTE privateTemplate[] = {
        {CKA_TOKEN, &yes, 1},     {CKA_PRIVATE, &yes, 1}, {CKA_LABEL, label.data(), Len(label)},
        {CKA_SENSITIVE, &yes, 1}, {CKA_DECRYPT, &yes, 1}, {CKA_SIGN, &yes, 1},
    };
    return p11->C_GenerateKeyPair(session, &mechanism, publicTemplate, 6, privateTemplate, 6,
                                  &publicKey, &privateKey);
}

sim::Bytes TextBytes(const std::string& text, bool withZero) {
    sim::Bytes bytes(text.begin(), text.end());
    if (withZero)
        bytes.push_back(0);
    return bytes;
}
