#include "testing/simctl/Common.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "testing/common/CallControl.h"

namespace simctl {

CArgs::CArgs(const std::vector<std::string>& words, const std::vector<std::string>& flags) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.rfind("--", 0) != 0) {
            m_words.push_back(word);
            continue;
        }
        const std::string name = word.substr(2);
        const bool takesValue = std::find(flags.begin(), flags.end(), name) == flags.end();
        if (takesValue && i + 1 >= words.size())
            throw CUsageError("option --" + name + " needs a value");
        m_options[name] = takesValue ? words[++i] : "";
    }
}

const std::string& CArgs::Word(size_t index) const {
    if (index >= m_words.size())
        throw CUsageError("missing argument");
    return m_words[index];
}

std::string CArgs::Option(const std::string& name, const std::string& fallback) const {
    auto found = m_options.find(name);
    return found == m_options.end() ? fallback : found->second;
}

uint32_t ParseNumber(const std::string& text) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || value > 0xFFFFFFFFull)
        throw CUsageError("not a number: " + text);
    return static_cast<uint32_t>(value);
}

std::vector<CCommand> CallControlCommands() {
    return {
        {"fault",
         "FUNCTION RESULT [--on-call N]",
         "make FUNCTION return RESULT (decimal or 0x hex) on its Nth call from now, or always",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             const uint32_t result = ParseNumber(args.Word(1));
             const uint32_t onCall = ParseNumber(args.Option("on-call", "0"));
             file.Update([&](Json::Value& root) {
                 sim::AddFault(root, args.Word(0), result, onCall);
                 return true;
             });
         }},
        {"clear-faults",
         "",
         "remove every injected fault",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             file.Update([](Json::Value& root) {
                 sim::ClearFaults(root);
                 return true;
             });
         }},
        {"log-to",
         "FILE|off",
         "write the call log to FILE (appending), or stop logging",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             file.Update([&](Json::Value& root) {
                 sim::SetCallLog(root, args.Word(0) == "off" ? "" : args.Word(0));
                 return true;
             });
         }},
        {"log",
         "[--clear]",
         "show the call log, or empty it",
         {"clear"},
         [](const CArgs& args, const sim::CStateFile& file) {
             const std::string path = file.Read().get("callLog", "").asString();
             if (path.empty())
                 throw CNotFound("no call log is set (use log-to FILE)");
             if (args.Flag("clear")) {
                 std::FILE* log = std::fopen(path.c_str(), "w");
                 if (log)
                     std::fclose(log);
                 return;
             }
             for (const auto& call : sim::ReadCallLog(path))
                 std::cout << sim::FormatCall(call) << "\n";
         }},
    };
}

void PrintUsage(const std::vector<CCommand>& commands, const std::string& family) {
    for (const auto& command : commands)
        std::cout << "  simctl " << family << " " << command.name << " " << command.usage
                  << "\n      " << command.help << "\n";
}

int RunCommands(const std::vector<CCommand>& commands, const std::string& family,
                const std::vector<std::string>& words, const std::string& statePath) {
    if (words.empty()) {
        PrintUsage(commands, family);
        return kUsage;
    }
    for (const auto& command : commands) {
        if (words[0] != command.name)
            continue;
        try {
            command.run(CArgs({words.begin() + 1, words.end()}, command.flags),
                        sim::CStateFile(statePath));
            return kOk;
        } catch (const CUsageError& error) {
            std::cerr << "simctl: " << error.what() << "\nusage: simctl " << family << " "
                      << command.name << " " << command.usage << "\n";
            return kUsage;
        } catch (const CNotFound& error) {
            std::cerr << "simctl: " << error.what() << "\n";
            return kNotFound;
        } catch (const std::exception& error) {
            std::cerr << "simctl: " << error.what() << "\n";
            return kStateError;
        }
    }
    std::cerr << "simctl: unknown command '" << family << " " << words[0] << "'\n";
    PrintUsage(commands, family);
    return kUsage;
}

} // namespace simctl
