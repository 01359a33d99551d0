#include "host/ReplyText.h"

#include "host/HostError.h"

#include <array>
#include <boost/format.hpp>

namespace norva::host {

namespace {

constexpr const char* kSuccessTemplate =
    R"({"rc":"%1%","result":"%2%","LastZTError":%3%,"PKCS11Error":%4%,"SignFileCanceled":%5%})";
constexpr const char* kErrorTemplate = R"({"rc":"%1%","errMsg":"%2%"%3%})";

struct Escape {
    char byte;
    std::string_view written;
};

constexpr std::array<Escape, 8> kEscapes = {{
    {'\b', "\\b"},
    {'\t', "\\t"},
    {'\n', "\\n"},
    {'\f', "\\f"},
    {'\r', "\\r"},
    {'"', "\\\""},
    {'/', "\\/"},
    {'\\', "\\\\"},
}};

void AppendEscaped(std::string& out, char byte) {
    for (const Escape& escape : kEscapes) {
        if (escape.byte == byte) {
            out += escape.written;
            return;
        }
    }
    out += byte;
}

} // namespace

std::string EscapeReplyText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char byte : text) {
        AppendEscaped(out, byte);
    }
    return out;
}

std::string FormatSuccessReply(const SuccessReply& reply) {
    return (boost::format(kSuccessTemplate) % 0 % EscapeReplyText(reply.result) %
            reply.lastZTError % reply.pkcs11Error % (reply.signFileCanceled ? 1 : 0))
        .str();
}

std::string FormatErrorReply(int code, std::string_view members) {
    return (boost::format(kErrorTemplate) % code % EscapeReplyText(HostErrorMessage(code)) %
            members)
        .str();
}

} // namespace norva::host
