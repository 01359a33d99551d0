#include "tests/support/AccessFixture.h"

#include <algorithm>

OwnedBstr SingleByteBstr(const std::string& text) {
    std::u16string wide;
    for (const unsigned char c : text) {
        wide += static_cast<char16_t>(c);
    }
    return OwnedBstr(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                       static_cast<UINT>(wide.size())));
}

AccessTest::AccessTest() {
    SetDllDirectoryA(sims.Folder().c_str());
}

AccessTest::~AccessTest() {
    SetDllDirectoryA(nullptr);
}

void AccessTest::LabelToken(const std::string& label, const std::string& stateName) {
    sims.EditTokens(
        [&](tokensim::CTokenState& state) {
            state.readers.at(0).token.label = label + std::string(32 - label.size(), ' ');
            state.readers.at(0).token.initialized = true;
        },
        stateName);
}

void AccessTest::RemoveTokens(const std::string& stateName) {
    sims.EditTokens([](tokensim::CTokenState& state) { state.readers.clear(); }, stateName);
}

void AccessTest::RemoveCard() {
    sims.EditCard([](hlsim::CHlState& card) { card.cardPresent = false; });
}

bool AccessTest::TokenSessionOpen() {
    CTokenDriver& driver = access.Driver();
    CK_SESSION_INFO info = {};
    return driver.CallUnrecorded(&Pkcs11Table::C_GetSessionInfo, driver.Session(), &info) == CKR_OK;
}

bool AccessTest::TokenLoggedIn() {
    CTokenDriver& driver = access.Driver();
    if (driver.Family() == DriverFamily::Hl) {
        int32_t present = 0;
        int32_t loggedOn = 0;
        return driver.HlCall(&HlTable::hl_get_media_state, driver.HlHandle(), &present, &loggedOn,
                             0) == HL_OK &&
               loggedOn == 1;
    }
    CK_SESSION_INFO info = {};
    if (driver.CallUnrecorded(&Pkcs11Table::C_GetSessionInfo, driver.Session(), &info) != CKR_OK) {
        return false;
    }
    return info.state == CKS_RO_USER_FUNCTIONS || info.state == CKS_RW_USER_FUNCTIONS ||
           info.state == CKS_RW_SO_FUNCTIONS;
}

LONG AccessTest::TokensCount() {
    return access.CountForCaller(TokenScope::Any);
}

LONG AccessTest::NorvaEFTTokensCount() {
    return access.CountForCaller(TokenScope::Service);
}

LONG AccessTest::CardType() {
    return access.CardType();
}

std::vector<sim::CCallRecord> AccessTest::TokenCallsOf(const std::string& function,
                                                       const std::string& stateName) {
    std::vector<sim::CCallRecord> calls = sims.TokenCalls(stateName);
    std::erase_if(calls, [&](const sim::CCallRecord& call) { return call.function != function; });
    return calls;
}

size_t AccessTest::TokenCallCount(const std::string& function, const std::string& stateName) {
    return TokenCallsOf(function, stateName).size();
}

size_t AccessTest::HlCallCount(const std::string& function) {
    const std::vector<sim::CCallRecord> calls = sims.HlCalls();
    return static_cast<size_t>(std::count_if(
        calls.begin(), calls.end(), [&](const auto& call) { return call.function == function; }));
}
