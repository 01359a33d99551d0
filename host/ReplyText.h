// The two reply templates and the escaping of the one text member they carry.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace norva::host {

struct SuccessReply {
    std::string result;
    int32_t lastZTError;
    int32_t pkcs11Error;
    bool signFileCanceled;
};

// Escapes byte by byte: the two-character forms for backspace, tab, line feed, form feed,
// carriage return, double quote, solidus and backslash; every other byte as it is.
std::string EscapeReplyText(std::string_view text);

std::string FormatSuccessReply(const SuccessReply& reply);

// The error reply for a host error code, with that code's message and the members that
// some codes add after it (HostFailure::members).
std::string FormatErrorReply(int code, std::string_view members = {});

} // namespace norva::host
