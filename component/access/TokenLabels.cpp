#include "component/access/TokenLabels.h"

#include <algorithm>

namespace {

constexpr size_t kLabelBytes = 31;
constexpr size_t kDescriptionBytes = 63;
constexpr std::string_view kPendrel = "Pendrel";

} // namespace

std::string_view FieldText(const unsigned char* field, size_t limit) {
    const auto* text = reinterpret_cast<const char*>(field);
    const char* end = std::find(text, text + limit, '\0');
    return std::string_view(text, static_cast<size_t>(end - text));
}

std::string_view TrimBlanks(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::string_view();
    }
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

bool IsNorvaLabel(const CK_TOKEN_INFO& info) {
    static_assert(sizeof(info.label) >= kLabelBytes);
    return TrimBlanks(FieldText(info.label, kLabelBytes)) == TrimBlanks(kCompanyLabel);
}

bool IsPendrelReader(const CK_SLOT_INFO& info) {
    static_assert(sizeof(info.slotDescription) >= kDescriptionBytes);
    return FieldText(info.slotDescription, kDescriptionBytes).find(kPendrel) !=
           std::string_view::npos;
}
