// The protocol's commands, looked up by their exact "func" name.
#pragma once

#include "component/IZentor.h"

#include <json/value.h>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace norva::host {

// How a member of "params" becomes an argument (ParamConverters.h).
enum class ParamKind { Text, RawData, Flag, CardType };

struct ParamMember {
    std::string_view key;
    ParamKind kind;
};

// A command as the table declares it: its name, whether it needs "params", and the members
// of "params" it takes, in the order taken. A command takes no member it does not declare.
struct CommandEntry {
    std::string_view func;
    bool requiresParams;
    std::span<const ParamMember> params;
};

// Every command of the protocol, in table order.
std::vector<CommandEntry> CommandEntries();

struct CommandResult {
    std::string text;
    bool signFileCanceled = false;
};

// Runs the command named func with params (an object, or null when absent). Raises 708 for
// an unknown name, 705 when a command that needs "params" has none, 706 for a parameter of
// the wrong type, 709 when a component call fails.
CommandResult DispatchCommand(IZentor& component, const std::string& func,
                              const Json::Value& params);

} // namespace norva::host
