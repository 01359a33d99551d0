// Command-line handling shared by simctl's token and device commands.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "testing/common/StateFile.h"

namespace simctl {

// Exit codes.
enum : int { kOk = 0, kUsage = 1, kStateError = 2, kNotFound = 3 };

struct CUsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct CNotFound : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Words after the command, and options "--name value" or "--flag".
class CArgs {
public:
    CArgs(const std::vector<std::string>& words, const std::vector<std::string>& flags);
    size_t Count() const { return m_words.size(); }
    const std::string& Word(size_t index) const;
    bool Flag(const std::string& name) const { return m_options.count(name) > 0; }
    std::string Option(const std::string& name, const std::string& fallback = "") const;

private:
    std::vector<std::string> m_words;
    std::map<std::string, std::string> m_options;
};

uint32_t ParseNumber(const std::string& text);

struct CCommand {
    const char* name;
    const char* usage;
    const char* help;
    std::vector<std::string> flags; // options that take no value
    std::function<void(const CArgs&, const sim::CStateFile&)> run;
};

// Commands every simulator has: faults, call log.
std::vector<CCommand> CallControlCommands();
int RunCommands(const std::vector<CCommand>& commands, const std::string& family,
                const std::vector<std::string>& words, const std::string& statePath);
void PrintUsage(const std::vector<CCommand>& commands, const std::string& family);

} // namespace simctl
