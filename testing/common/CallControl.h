// Fault injection and the call log, shared by both simulators. Both live in the state
// file: "faults" is a list of rules, "callLog" the path of a text file that gets one
// line per call ("function<TAB>key=value ...<TAB>0xRESULT").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <json/json.h>

namespace sim {

using TCallArgs = std::vector<std::pair<std::string, std::string>>;

struct CCallRecord {
    std::string function;
    TCallArgs args;
    uint32_t result = 0;

    // The value of the first argument of that name, or "" when there is none.
    std::string Arg(const std::string& name) const;
    bool HasArg(const std::string& name) const;
};

// A rule makes `function` return `result` on its `onCall`-th call counted from the
// moment the rule was set (1 = the next call), or on every call when `onCall` is 0.
void AddFault(Json::Value& state, const std::string& function, uint32_t result, uint32_t onCall);
void ClearFaults(Json::Value& state);
// Counts the call against the rules for `function`; returns the result to fail with.
// `counted` becomes true when a counter changed (the state must then be saved).
std::optional<uint32_t> TakeFault(Json::Value& state, const std::string& function, bool& counted);

void SetCallLog(Json::Value& state, const std::string& path);
void AppendCallLog(const Json::Value& state, const std::string& function, const TCallArgs& args,
                   uint32_t result);
std::vector<CCallRecord> ReadCallLog(const std::string& path);
std::string FormatCall(const CCallRecord& call);

} // namespace sim
