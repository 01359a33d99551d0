#include "host/RequestEnvelope.h"

#include "host/HostError.h"

#include <exception>

// Json::Reader is the parser the protocol names (its default features allow comments and any
// root); newer jsoncpp marks it deprecated.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <json/reader.h>

namespace norva::host {

namespace {

Json::Value ParseJson(const std::string& text) {
    Json::Value root;
    try {
        Json::Reader reader;
        if (!reader.parse(text, root)) {
            RaiseHostError(kJsonParsing);
        }
    } catch (const std::exception&) {
        // The reader gives up on very deep nesting by throwing.
        RaiseHostError(kJsonParsing);
    }
    return root;
}
#pragma GCC diagnostic pop

std::string FuncText(const Json::Value& func) {
    if (!func.isString() && !func.isBool() && !func.isNull()) {
        RaiseHostError(kJsonParsing);
    }
    return func.asString();
}

Json::Value ParamsOf(const Json::Value& root) {
    const Json::Value& params = root["params"];
    if (!params.isObject() && !params.isNull()) {
        RaiseHostError(kJsonParsing);
    }
    return params;
}

} // namespace

RequestEnvelope ParseRequest(const std::string& text) {
    const Json::Value root = ParseJson(text);
    if (!root.isObject() && !root.isNull()) {
        RaiseHostError(kJsonParsing);
    }
    RequestEnvelope request;
    if (root.isNull() || !root.isMember("func")) {
        return request;
    }
    request.hasCommand = true;
    request.func = FuncText(root["func"]);
    request.params = ParamsOf(root);
    return request;
}

} // namespace norva::host
