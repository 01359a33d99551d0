// The request object: the command name in "func" and its arguments in "params".
#pragma once

#include <json/value.h>
#include <string>

namespace norva::host {

struct RequestEnvelope {
    // False for a null root or an object without "func": the request then only reports the
    // component's error values.
    bool hasCommand = false;
    std::string func;
    // An object, or null when "params" is absent or null.
    Json::Value params;
};

// Parses the request text with jsoncpp's default features. Raises 707 for text that is not
// JSON, and for JSON that is not a request: a root other than an object or null, a "func"
// that is a number, array or object, a "params" that is neither an object nor null.
RequestEnvelope ParseRequest(const std::string& text);

} // namespace norva::host
