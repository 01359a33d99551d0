#include "host/HostError.h"

#include <array>

namespace norva::host {

namespace {

struct HostErrorText {
    int code;
    std::string_view message;
};

constexpr std::array<HostErrorText, 7> kHostErrorTexts = {{
    {kParamsMissing, "One or more parameters are missing"},
    {kParamsInvalid, "One or more parameters are invalid"},
    {kJsonParsing, "Json message parsing error"},
    {kUnsupportedFunction, "Unsupported function"},
    {kComponentAccess, "COM component accessing error"},
    {kInternalFailure, "Internal host error"},
    {kUploadTooLarge, "Upload too large for the browser"},
}};

} // namespace

std::string_view HostErrorMessage(int code) {
    for (const HostErrorText& text : kHostErrorTexts) {
        if (text.code == code) {
            return text.message;
        }
    }
    return HostErrorMessage(kInternalFailure);
}

} // namespace norva::host
