#include "testing/support/SimFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "testing/common/StateFile.h"

namespace sim {
namespace fs = std::filesystem;

namespace {

const char* LibraryOf(TSimulator simulator) {
    switch (simulator) {
    case TSimulator::Token:
        return "tokensim";
    case TSimulator::PartialToken:
        return "tokensim_partial";
    case TSimulator::Device:
        break;
    }
    return "hlsim";
}

std::string BinFolder() {
    const std::string bin = ReadEnvironment("NORVA_BIN");
    return bin.empty() ? fs::current_path().string() : bin;
}

} // namespace

CSimFixture::CSimFixture() : m_folder(MakeTempFolder("norva-sim-")) {
    PrepareState("tokensim");
    PrepareState("hlsim");
    SetVariable("TOKENSIM_STATE", StateFile("tokensim"));
    SetVariable("HLSIM_STATE", StateFile("hlsim"));
}

CSimFixture::~CSimFixture() {
    for (auto it = m_variables.rbegin(); it != m_variables.rend(); ++it)
        WriteEnvironment(it->first, it->second);
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

std::string CSimFixture::StateFile(const std::string& name) const {
    return (fs::path(m_folder) / (name + ".json")).string();
}

std::string CSimFixture::LogFile(const std::string& name) const {
    return (fs::path(m_folder) / (name + ".log")).string();
}

void CSimFixture::SetVariable(const std::string& name, const std::string& value) {
    m_variables.emplace_back(name, ReadEnvironment(name));
    WriteEnvironment(name, value);
}

// A state file that holds only the call-log setting; the simulator fills in its
// defaults on first use.
void CSimFixture::PrepareState(const std::string& name) {
    CStateFile(StateFile(name)).Update([&](Json::Value& root) {
        SetCallLog(root, LogFile(name));
        return true;
    });
    std::ofstream(LogFile(name), std::ios::trunc);
    m_stateNames.push_back(name);
}

std::string CSimFixture::Install(TSimulator simulator, const std::string& driverName,
                                 const std::string& stateName) {
    const fs::path source = fs::path(BinFolder()) / LibraryFileName(LibraryOf(simulator));
    const fs::path target = fs::path(m_folder) / LibraryFileName(driverName);
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    if (!stateName.empty() && simulator != TSimulator::Device) {
        if (std::find(m_stateNames.begin(), m_stateNames.end(), stateName) == m_stateNames.end())
            PrepareState(stateName);
        SetVariable("TOKENSIM_STATE_" + driverName, StateFile(stateName));
    }
    return target.string();
}

std::string CSimFixture::TokenStatePath(const std::string& stateName) const {
    return StateFile(stateName.empty() ? "tokensim" : stateName);
}

std::string CSimFixture::HlStatePath() const {
    return StateFile("hlsim");
}

void CSimFixture::EditTokens(const std::function<void(tokensim::CTokenState&)>& change,
                             const std::string& stateName) {
    CStateFile(TokenStatePath(stateName)).Update([&](Json::Value& root) {
        tokensim::CTokenState state = tokensim::LoadTokenState(root);
        change(state);
        tokensim::StoreTokenState(state, root);
        return true;
    });
}

void CSimFixture::EditCard(const std::function<void(hlsim::CHlState&)>& change) {
    CStateFile(HlStatePath()).Update([&](Json::Value& root) {
        hlsim::CHlState state = hlsim::LoadHlState(root);
        change(state);
        hlsim::StoreHlState(state, root);
        return true;
    });
}

tokensim::CTokenState CSimFixture::Tokens(const std::string& stateName) const {
    return tokensim::LoadTokenState(CStateFile(TokenStatePath(stateName)).Read());
}

hlsim::CHlState CSimFixture::Card() const {
    return hlsim::LoadHlState(CStateFile(HlStatePath()).Read());
}

CK_SLOT_ID CSimFixture::PrepareToken(const std::string& label, const std::string& soPin,
                                     const std::string& userPin, const std::string& stateName) {
    CK_SLOT_ID slot = 0;
    EditTokens(
        [&](tokensim::CTokenState& state) {
            tokensim::CReader& reader = state.readers.at(0);
            tokensim::CToken& token = reader.token;
            token.label = label;
            token.label.resize(32, ' ');
            token.initialized = true;
            token.soPin = ToBytes(soPin);
            token.userPin = ToBytes(userPin);
            token.userPinInitialized = !userPin.empty();
            slot = reader.slot;
        },
        stateName);
    return slot;
}

void CSimFixture::InjectTokenFault(const std::string& function, uint32_t result, uint32_t onCall,
                                   const std::string& stateName) {
    CStateFile(TokenStatePath(stateName)).Update([&](Json::Value& root) {
        AddFault(root, function, result, onCall);
        return true;
    });
}

void CSimFixture::InjectHlFault(const std::string& function, uint32_t result, uint32_t onCall) {
    CStateFile(HlStatePath()).Update([&](Json::Value& root) {
        AddFault(root, function, result, onCall);
        return true;
    });
}

std::vector<CCallRecord> CSimFixture::TokenCalls(const std::string& stateName) const {
    return ReadCallLog(LogFile(stateName.empty() ? "tokensim" : stateName));
}

std::vector<CCallRecord> CSimFixture::HlCalls() const {
    return ReadCallLog(LogFile("hlsim"));
}

void CSimFixture::ClearCalls() {
    for (const auto& name : m_stateNames)
        std::ofstream(LogFile(name), std::ios::trunc);
}

} // namespace sim
