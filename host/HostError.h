// The host's own error codes. Request handling raises one of them as a HostFailure from
// any depth; the main flow catches it in one place and answers with the error reply.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace norva::host {

enum HostError : int {
    kParamsMissing = 705,
    kParamsInvalid = 706,
    kJsonParsing = 707,
    kUnsupportedFunction = 708,
    kComponentAccess = 709,
    kInternalFailure = 710,
    kUploadTooLarge = 711,
};

// The message that the error reply carries for code; an unknown code gets the message of
// kInternalFailure.
std::string_view HostErrorMessage(int code);

// What request handling raises: the code of the error reply, and members that this code's
// reply carries after "errMsg" (JSON text starting with a comma, or empty).
struct HostFailure {
    int code;
    std::string members;
};

[[noreturn]] inline void RaiseHostError(HostError code, std::string members = {}) {
    throw HostFailure{code, std::move(members)};
}

} // namespace norva::host
