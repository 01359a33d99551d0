// Token initialisation, PINs, logins, lock-out and expiry.
#include "tests/simulators/TokenSimFixture.h"

namespace {

std::string Label(const std::string& text) {
    return text + std::string(32 - text.size(), ' ');
}

} // namespace

class TokenPinTest : public TokenSimTest {
protected:
    CK_RV InitToken(CK_SLOT_ID slot, const std::string& soPin, const std::string& label) {
        std::string pin = soPin, padded = Label(label);
        return p11->C_InitToken(slot, reinterpret_cast<CK_UTF8CHAR_PTR>(pin.data()), pin.size(),
                                reinterpret_cast<CK_UTF8CHAR_PTR>(padded.data()));
    }
    CK_RV InitPin(CK_SESSION_HANDLE session, const std::string& pin) {
        std::string copy = pin;
        return p11->C_InitPIN(session, reinterpret_cast<CK_UTF8CHAR_PTR>(copy.data()), copy.size());
    }
    CK_RV SetPin(CK_SESSION_HANDLE session, const std::string& oldPin, const std::string& newPin) {
        std::string o = oldPin, n = newPin;
        return p11->C_SetPIN(session, reinterpret_cast<CK_UTF8CHAR_PTR>(o.data()), o.size(),
                             reinterpret_cast<CK_UTF8CHAR_PTR>(n.data()), n.size());
    }
};

TEST_F(TokenPinTest, InitialisingBlankTokenSetsLabelAndSoPinButNoUserPin) {
    ASSERT_EQ(InitToken(FirstSlot(), "87654321", "Trellmoor"), CKR_OK);
    const tokensim::CToken token = sims.Tokens().readers[0].token;
    EXPECT_EQ(token.label, Label("Trellmoor"));
    EXPECT_TRUE(token.initialized);
    EXPECT_EQ(token.soPin, TextBytes("87654321"));
    EXPECT_FALSE(token.userPinInitialized);
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_USER_PIN_NOT_INITIALIZED);
}

TEST_F(TokenPinTest, ReinitialisingNeedsTheSoPinAndWipesObjects) {
    const CK_SESSION_HANDLE session = UserSession();
    CreateData(session, "NorvaEFTUserData", {1, 2, 3}, false);
    ASSERT_EQ(p11->C_CloseAllSessions(FirstSlot()), CKR_OK);
    EXPECT_EQ(InitToken(FirstSlot(), "wrong-pin", "Other"), CKR_PIN_INCORRECT);
    EXPECT_EQ(sims.Tokens().readers[0].token.objects.size(), 1u);
    ASSERT_EQ(InitToken(FirstSlot(), "87654321", "Other"), CKR_OK);
    const tokensim::CToken token = sims.Tokens().readers[0].token;
    EXPECT_TRUE(token.objects.empty());
    EXPECT_EQ(token.label, Label("Other"));
    EXPECT_FALSE(token.userPinInitialized);
}

TEST_F(TokenPinTest, InitialisingWithOpenSessionIsRefused) {
    ReadyToken();
    Open();
    EXPECT_EQ(InitToken(FirstSlot(), "87654321", "Trellmoor"), CKR_SESSION_EXISTS);
}

TEST_F(TokenPinTest, SoSetsUserPinWhichThenLogsIn) {
    ReadyToken();
    CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(InitPin(session, "5555"), CKR_USER_NOT_LOGGED_IN);
    ASSERT_EQ(Login(session, CKU_SO, "87654321"), CKR_OK);
    EXPECT_EQ(InitPin(session, "12"), CKR_PIN_LEN_RANGE);
    ASSERT_EQ(InitPin(session, "592604"), CKR_OK);
    ASSERT_EQ(p11->C_CloseSession(session), CKR_OK);
    session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "592604"), CKR_OK);
}

TEST_F(TokenPinTest, SecondLoginOfSameUserSaysAlreadyLoggedIn) {
    const CK_SESSION_HANDLE session = UserSession();
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_USER_ALREADY_LOGGED_IN);
    EXPECT_EQ(Login(session, CKU_SO, "87654321"), CKR_USER_ANOTHER_ALREADY_LOGGED_IN);
}

TEST_F(TokenPinTest, ClosingTheLastSessionEndsTheLogin) {
    CK_SESSION_HANDLE session = UserSession();
    ASSERT_EQ(p11->C_CloseSession(session), CKR_OK);
    session = Open();
    CK_SESSION_INFO info{};
    ASSERT_EQ(p11->C_GetSessionInfo(session, &info), CKR_OK);
    EXPECT_EQ(info.state, CKS_RW_PUBLIC_SESSION);
}

TEST_F(TokenPinTest, WrongPinsLockAfterTheLimitAndRightPinClearsCount) {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_OK);
    EXPECT_EQ(sims.Tokens().readers[0].token.userPinFailures, 0);
    ASSERT_EQ(p11->C_Logout(session), CKR_OK);
    EXPECT_EQ(Login(session, CKU_USER, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(Login(session, CKU_USER, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(Login(session, CKU_USER, "0000"), CKR_PIN_LOCKED);
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_PIN_LOCKED);
    CK_TOKEN_INFO info{};
    ASSERT_EQ(p11->C_GetTokenInfo(FirstSlot(), &info), CKR_OK);
    EXPECT_TRUE(info.flags & CKF_USER_PIN_LOCKED);
}

TEST_F(TokenPinTest, ExpiredPinLogsInOnlyForChangingIt) {
    ReadyToken();
    sims.EditTokens(
        [](tokensim::CTokenState& state) { state.readers[0].token.userPinExpired = true; });
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_PIN_EXPIRED);
    CK_OBJECT_HANDLE pub = 0, priv = 0;
    EXPECT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_USER_NOT_LOGGED_IN);
    ASSERT_EQ(SetPin(session, "1234", "4321"), CKR_OK);
    EXPECT_FALSE(sims.Tokens().readers[0].token.userPinExpired);
    EXPECT_EQ(GenerateKeys(session, 1024, pub, priv), CKR_OK);
}

TEST_F(TokenPinTest, ChangingPinChecksOldPinAndLength) {
    ReadyToken();
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(SetPin(session, "9999", "4321"), CKR_PIN_INCORRECT);
    EXPECT_EQ(SetPin(session, "1234", "12"), CKR_PIN_LEN_RANGE);
    ASSERT_EQ(SetPin(session, "1234", "4321"), CKR_OK);
    EXPECT_EQ(sims.Tokens().readers[0].token.userPin, TextBytes("4321"));
    const CK_SESSION_HANDLE readOnly = Open(CKF_SERIAL_SESSION);
    EXPECT_EQ(SetPin(readOnly, "4321", "5678"), CKR_SESSION_READ_ONLY);
}

TEST_F(TokenPinTest, ExpiredSoPinAnswersPinExpired) {
    ReadyToken();
    sims.EditTokens(
        [](tokensim::CTokenState& state) { state.readers[0].token.soPinExpired = true; });
    EXPECT_EQ(Login(Open(), CKU_SO, "87654321"), CKR_PIN_EXPIRED);
}
