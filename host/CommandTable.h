// The protocol's commands, looked up by their exact "func" name.
#pragma once

#include "component/IZentor.h"

#include <json/value.h>
#include <string>

namespace norva::host {

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
