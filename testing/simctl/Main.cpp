// simctl: sets up and inspects the simulated token drivers.
//   simctl [--state FILE] token COMMAND ...   the PKCS#11 token simulator
//   simctl [--state FILE] hl COMMAND ...      the hl_* device simulator
// Without --state the file named by TOKENSIM_STATE or HLSIM_STATE is used, else the
// simulators' own default in the current folder.
#include <iostream>

#include "testing/common/SystemSeams.h"
#include "testing/simctl/Commands.h"

namespace {

void Usage() {
    std::cout << "usage: simctl [--state FILE] token|hl COMMAND [ARGUMENTS]\n"
                 "exit codes: 0 done, 1 usage error, 2 state file error, 3 not found\n\n"
                 "token commands (state: TOKENSIM_STATE, default tokensim-state.json):\n";
    simctl::PrintUsage(simctl::TokenCommands(), "token");
    std::cout << "\nhl commands (state: HLSIM_STATE, default hlsim-state.json):\n";
    simctl::PrintUsage(simctl::HlCommands(), "hl");
}

std::string StatePath(const std::string& given, const char* variable, const char* fallback) {
    if (!given.empty())
        return given;
    const std::string set = sim::ReadEnvironment(variable);
    return set.empty() ? fallback : set;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string state;
    if (words.size() >= 2 && words[0] == "--state") {
        state = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty() || words[0] == "help" || words[0] == "--help") {
        Usage();
        return words.empty() ? simctl::kUsage : simctl::kOk;
    }
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (words[0] == "token")
        return simctl::RunCommands(simctl::TokenCommands(), "token", rest,
                                   StatePath(state, "TOKENSIM_STATE", "tokensim-state.json"));
    if (words[0] == "hl")
        return simctl::RunCommands(simctl::HlCommands(), "hl", rest,
                                   StatePath(state, "HLSIM_STATE", "hlsim-state.json"));
    Usage();
    return simctl::kUsage;
}
