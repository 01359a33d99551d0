#include "testing/common/CallControl.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

std::string CCallRecord::Arg(const std::string& name) const {
    for (const auto& [key, value] : args)
        if (key == name)
            return value;
    return "";
}

bool CCallRecord::HasArg(const std::string& name) const {
    for (const auto& arg : args)
        if (arg.first == name)
            return true;
    return false;
}

void AddFault(Json::Value& state, const std::string& function, uint32_t result, uint32_t onCall) {
    Json::Value rule;
    rule["function"] = function;
    rule["result"] = result;
    rule["onCall"] = onCall;
    rule["calls"] = 0;
    state["faults"].append(rule);
}

void ClearFaults(Json::Value& state) {
    state["faults"] = Json::Value(Json::arrayValue);
}

std::optional<uint32_t> TakeFault(Json::Value& state, const std::string& function, bool& counted) {
    std::optional<uint32_t> fault;
    // Looked up without adding: a state with no faults stays as it was read.
    if (!state.isObject() || !state.isMember("faults") || !state["faults"].isArray())
        return fault;
    Json::Value& rules = state["faults"];
    for (Json::Value& rule : rules) {
        if (rule["function"].asString() != function)
            continue;
        const uint32_t calls = rule["calls"].asUInt() + 1;
        rule["calls"] = calls;
        counted = true;
        const uint32_t onCall = rule["onCall"].asUInt();
        if (!fault && (onCall == 0 || onCall == calls))
            fault = rule["result"].asUInt();
    }
    return fault;
}

void SetCallLog(Json::Value& state, const std::string& path) {
    state["callLog"] = path;
}

std::string FormatCall(const CCallRecord& call) {
    std::string line = call.function + "\t";
    for (size_t i = 0; i < call.args.size(); ++i)
        line += (i ? " " : "") + call.args[i].first + "=" + call.args[i].second;
    char result[16];
    std::snprintf(result, sizeof result, "0x%08X", static_cast<unsigned>(call.result));
    return line + "\t" + result;
}

void AppendCallLog(const Json::Value& state, const std::string& function, const TCallArgs& args,
                   uint32_t result) {
    if (!state.isObject() || !state["callLog"].isString() || state["callLog"].asString().empty())
        return;
    std::ofstream log(state["callLog"].asString(), std::ios::app | std::ios::binary);
    log << FormatCall(CCallRecord{function, args, result}) << "\n";
}

static CCallRecord ParseCall(const std::string& line) {
    CCallRecord call;
    const size_t first = line.find('\t');
    const size_t last = line.rfind('\t');
    if (first == std::string::npos || last == first)
        return call;
    call.function = line.substr(0, first);
    std::istringstream args(line.substr(first + 1, last - first - 1));
    std::string arg;
    while (args >> arg) {
        const size_t equals = arg.find('=');
        call.args.emplace_back(arg.substr(0, equals),
                               equals == std::string::npos ? "" : arg.substr(equals + 1));
    }
    call.result = static_cast<uint32_t>(std::strtoul(line.c_str() + last + 1, nullptr, 16));
    return call;
}

std::vector<CCallRecord> ReadCallLog(const std::string& path) {
    std::vector<CCallRecord> calls;
    std::ifstream log(path, std::ios::binary);
    std::string line;
    while (std::getline(log, line))
        if (!line.empty())
            calls.push_back(ParseCall(line));
    return calls;
}

} // namespace sim
