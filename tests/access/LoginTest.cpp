// Sessions and login with both driver families, and what each login result means.
#include "tests/support/AccessFixture.h"

#include "component/access/HebrewKeyboard.h"
#include "testing/common/Bytes.h"

namespace {

class Login : public AccessTest {
protected:
    void PrepareServiceToken() {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
        access.UseDriver(1);
        sims.ClearCalls();
    }
    TZentorError LogIn(const std::string& pin) {
        const OwnedBstr text = SingleByteBstr(pin);
        return access.LoginToToken(CKU_USER, text.Get(), LoginDepth::User);
    }
};

struct LoginCase {
    CK_RV tokenAnswer; // 0: no fault, the right PIN
    TZentorError expected;
    bool loggedIn;
};

class LoginResult : public Login, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginResult, MapsTheTokensAnswerAndRecordsItUnchanged) {
    PrepareServiceToken();
    const LoginCase& c = GetParam();
    if (c.tokenAnswer == CKR_USER_ALREADY_LOGGED_IN) {
        // Another session of this process holds the user's login.
        CTokenDriver& driver = access.Driver();
        CK_SESSION_HANDLE other = 0;
        ASSERT_EQ(driver.CallUnrecorded(&Pkcs11Table::C_OpenSession,
                                        sims.Tokens().readers.at(0).slot,
                                        CK_FLAGS{CKF_SERIAL_SESSION}, nullptr, nullptr, &other),
                  CKR_OK);
        std::string pin = kUserPin;
        ASSERT_EQ(driver.CallUnrecorded(&Pkcs11Table::C_Login, other, CKU_USER,
                                        reinterpret_cast<CK_UTF8CHAR*>(pin.data()),
                                        static_cast<CK_ULONG>(pin.size())),
                  CKR_OK);
    } else if (c.tokenAnswer != CKR_OK) {
        sims.InjectTokenFault("C_Login", static_cast<uint32_t>(c.tokenAnswer));
    }
    EXPECT_EQ(LogIn(kUserPin), c.expected);
    EXPECT_EQ(access.LastDriverResult(), c.tokenAnswer);
    EXPECT_EQ(TokenLoggedIn(), c.loggedIn);
}

INSTANTIATE_TEST_SUITE_P(Answers, LoginResult,
                         ::testing::Values(LoginCase{CKR_OK, ZTNoError, true},
                                           LoginCase{CKR_USER_ALREADY_LOGGED_IN, ZTNoError, true},
                                           LoginCase{CKR_PIN_EXPIRED, ZTLoginPinExpired, false},
                                           LoginCase{CKR_PIN_INCORRECT, ZTLoginFailed, false},
                                           LoginCase{0x80000001, ZTLoginFailed, false}));

TEST_F(Login, SendsThePinBytesWithItsLengthToTheToken) {
    PrepareServiceToken();
    EXPECT_EQ(LogIn(kUserPin), ZTNoError);
    const auto logins = TokenCallsOf("C_Login");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].Arg("pin"), sim::ToHex(sim::Bytes{'1', '2', '3', '4'}));
    EXPECT_EQ(logins[0].Arg("user"), std::to_string(CKU_USER));
}

TEST_F(Login, OpensAReadWriteSessionOnTheSelectedSlot) {
    PrepareServiceToken();
    EXPECT_EQ(LogIn(kUserPin), ZTNoError);
    const auto opens = TokenCallsOf("C_OpenSession");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].Arg("flags"), std::to_string(CKF_RW_SESSION | CKF_SERIAL_SESSION));
    EXPECT_EQ(opens[0].Arg("slot"), std::to_string(sims.Tokens().readers.at(0).slot));
}

TEST_F(Login, FailedSessionGivesOpenSessionFailedAndNoLogin) {
    PrepareServiceToken();
    sims.InjectTokenFault("C_OpenSession", CKR_TOKEN_NOT_PRESENT);
    EXPECT_EQ(LogIn(kUserPin), ZTOpenSessionFailed);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_TOKEN_NOT_PRESENT);
    EXPECT_EQ(TokenCallCount("C_Login"), 0u);
}

TEST_F(Login, SessionOnlyOpensASessionWithoutLoggingIn) {
    PrepareServiceToken();
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    EXPECT_EQ(access.LoginToToken(CKU_USER, pin.Get(), LoginDepth::SessionOnly), ZTNoError);
    EXPECT_TRUE(TokenSessionOpen());
    EXPECT_FALSE(TokenLoggedIn());
    EXPECT_EQ(TokenCallCount("C_Login"), 0u);
}

TEST_F(Login, EndSessionClosesTheSessionWithoutLoggingOut) {
    PrepareServiceToken();
    EXPECT_EQ(LogIn(kUserPin), ZTNoError);
    EndSession();
    EXPECT_EQ(TokenCallCount("C_CloseSession"), 1u);
    EXPECT_EQ(TokenCallCount("C_Logout"), 0u);
    EXPECT_FALSE(TokenSessionOpen());
    EXPECT_FALSE(TokenLoggedIn());
    EndSession();
    EXPECT_EQ(TokenCallCount("C_CloseSession"), 1u);
}

// Where the session is closed while a scope is held: a scope starting fresh closes the
// session an earlier operation left open at once; every scope closes its own on leaving.
struct ScopeCase {
    const char* what;
    SessionStart start;
    bool leftOpenBefore;    // an earlier login left its session open
    size_t closedAtStart;   // C_CloseSession calls once the scope is made
    size_t closedOnLeaving; // ... once it is gone
    bool loggedInInside;    // the earlier login still holds inside the scope
};

class SessionScope : public Login, public ::testing::WithParamInterface<ScopeCase> {};

TEST_P(SessionScope, EndsTheSessionWhenLeftAndFreshStartsFromNone) {
    const ScopeCase& c = GetParam();
    PrepareServiceToken();
    if (c.leftOpenBefore) {
        ASSERT_EQ(LogIn(kUserPin), ZTNoError);
    }
    sims.ClearCalls();
    {
        const CTokenAccess::CSessionScope scope(access, c.start);
        EXPECT_EQ(TokenCallCount("C_CloseSession"), c.closedAtStart) << c.what;
        EXPECT_EQ(TokenLoggedIn(), c.loggedInInside) << c.what;
    }
    EXPECT_EQ(TokenCallCount("C_CloseSession"), c.closedOnLeaving) << c.what;
    EXPECT_FALSE(TokenSessionOpen()) << c.what;
    EXPECT_EQ(TokenCallCount("C_Logout"), 0u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Starts, SessionScope,
    ::testing::Values(ScopeCase{"as left, open", SessionStart::AsLeft, true, 0, 1, true},
                      ScopeCase{"fresh, open", SessionStart::Fresh, true, 1, 1, false},
                      ScopeCase{"as left, none open", SessionStart::AsLeft, false, 0, 0, false},
                      ScopeCase{"fresh, none open", SessionStart::Fresh, false, 0, 0, false}));

TEST_F(Login, ALoginStartsFromNoSessionAndLogsInAgain) {
    PrepareServiceToken();
    ASSERT_EQ(LogIn(kUserPin), ZTNoError);
    sims.ClearCalls();
    ASSERT_EQ(LogIn(kUserPin), ZTNoError);
    EXPECT_EQ(TokenCallCount("C_CloseSession"), 1u);
    EXPECT_EQ(TokenCallCount("C_OpenSession"), 1u);
    EXPECT_EQ(TokenCallCount("C_Login"), 1u);
}

TEST_F(Login, NullPinIsTheEmptyPin) {
    PrepareServiceToken();
    EXPECT_EQ(access.LoginToToken(CKU_USER, nullptr, LoginDepth::User), ZTLoginFailed);
    const auto logins = TokenCallsOf("C_Login");
    ASSERT_EQ(logins.size(), 1u);
    EXPECT_EQ(logins[0].Arg("pin"), "");
}

class DeviceLogin : public AccessTest {
protected:
    void SetUp() override {
        InstallBrevo();
        access.UseDriver(2);
    }
    TZentorError LogIn(const std::string& pin) {
        const OwnedBstr text = SingleByteBstr(pin);
        return access.LoginToToken(CKU_USER, text.Get(), LoginDepth::User);
    }
    void SetDevicePin(const sim::Bytes& pin) {
        sims.EditCard([&](hlsim::CHlState& card) { card.pin = pin; });
    }
};

TEST_F(DeviceLogin, PinReachesTheDeviceAsTypedOnAHebrewKeyboard) {
    SetDevicePin(sim::Bytes{0x99, '1', 0x80});
    EXPECT_EQ(LogIn("a1t"), ZTNoError);
    EXPECT_TRUE(TokenLoggedIn());
}

TEST_F(DeviceLogin, UpperCaseLatinPinLogsInLikeLowerCase) {
    SetDevicePin(sim::Bytes{0x99, '1', 0x80});
    EXPECT_EQ(LogIn("A1T"), ZTNoError);
}

TEST_F(DeviceLogin, ExpiredPinGivesPinExpiredAndLeavesPkcs11ErrorAlone) {
    ASSERT_EQ(access.CheckTokenOnly(), TokenOnly::Refused); // reports 84
    sims.InjectHlFault("hl_logon", HL_PIN_EXPIRED);
    EXPECT_EQ(LogIn(kDevicePin), ZTLoginPinExpired);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_FUNCTION_NOT_SUPPORTED);
    EXPECT_FALSE(TokenLoggedIn());
}

TEST_F(DeviceLogin, AnyOtherRefusalGivesLoginFailed) {
    sims.InjectHlFault("hl_logon", HL_ERR_WRONG_PIN);
    EXPECT_EQ(LogIn(kDevicePin), ZTLoginFailed);
}

TEST_F(DeviceLogin, RightPinLogsInAndEndSessionLogsOffKeepingTheHandle) {
    EXPECT_EQ(LogIn(kDevicePin), ZTNoError);
    const int32_t handle = access.Driver().HlHandle();
    EXPECT_NE(handle, -1);
    EndSession();
    EXPECT_EQ(HlCallCount("hl_logoff"), 1u);
    EXPECT_EQ(access.Driver().HlHandle(), handle);
    EndSession(); // not logged in: nothing to log off
    EXPECT_EQ(HlCallCount("hl_logoff"), 1u);
}

TEST_F(DeviceLogin, DeviceThatCannotOpenGivesOpenSessionFailedAndIsTriedAgain) {
    sims.InjectHlFault("hl_on", HL_ERR_DEVICE, 1);
    CTokenDriver& device = access.Driver();
    EXPECT_EQ(device.LogIn(0, CKU_USER, nullptr, LoginDepth::SessionOnly), ZTOpenSessionFailed);
    EXPECT_EQ(device.HlHandle(), -1);
    EXPECT_EQ(device.LogIn(0, CKU_USER, nullptr, LoginDepth::SessionOnly), ZTNoError);
    EXPECT_EQ(HlCallCount("hl_on"), 2u);
}

TEST_F(DeviceLogin, DeviceThatCannotOpenCountsNoCard) {
    sims.InjectHlFault("hl_on", HL_ERR_DEVICE);
    CK_SLOT_ID slot = 0;
    EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::All), ZTLabeledTokenNotFound);
}

// Each key of the layout, as the table of the device's keyboard gives it.
struct KeyRow {
    char typed;
    unsigned char sent;
};

constexpr KeyRow kLayout[] = {
    {',', 0x9A}, {'<', 0x9A}, {'.', 0x95}, {'>', 0x95}, {':', 0x93}, {';', 0x93}, {'a', 0x99},
    {'b', 0x90}, {'c', 0x81}, {'d', 0x82}, {'e', 0x97}, {'f', 0x8B}, {'g', 0x92}, {'h', 0x89},
    {'i', 0x8F}, {'j', 0x87}, {'k', 0x8C}, {'l', 0x8A}, {'m', 0x96}, {'n', 0x8E}, {'o', 0x8D},
    {'p', 0x94}, {'q', '/'},  {'r', 0x98}, {'s', 0x83}, {'t', 0x80}, {'u', 0x85}, {'v', 0x84},
    {'w', '\''}, {'x', 0x91}, {'y', 0x88}, {'z', 0x86},
};

TEST(HebrewKeyboard, EveryKeyOfTheLayoutBecomesItsHebrewLetter) {
    for (const KeyRow& row : kLayout) {
        const std::string sent = ToHebrewKeyboard(std::string(1, row.typed));
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(static_cast<unsigned char>(sent[0]), row.sent) << "key " << row.typed;
    }
}

TEST(HebrewKeyboard, UpperCaseLettersMapLikeLowerCase) {
    for (char c = 'A'; c <= 'Z'; ++c) {
        const char lower = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(ToHebrewKeyboard(std::string(1, c)), ToHebrewKeyboard(std::string(1, lower)));
    }
}

TEST(HebrewKeyboard, HebrewLettersMoveFromCodePage1255To862) {
    EXPECT_EQ(ToHebrewKeyboard("\xE0\xEA\xFA"), "\x80\x8A\x9A");
}

TEST(HebrewKeyboard, DigitsOtherPunctuationAndHighBytesPassUnchanged) {
    const std::string unchanged = "0123456789!@#$%^&*()-=[]{}/'\"\x80\x9F\xA0\xDF";
    EXPECT_EQ(ToHebrewKeyboard(unchanged), unchanged);
}

} // namespace
