#include "component/signing/UploadAmount.h"

namespace {

constexpr size_t kMostZerosSkipped = 12;
constexpr size_t kMinorDigits = 2;
constexpr size_t kGroupSize = 3;

} // namespace

std::string AmountText(std::string_view amount) {
    size_t skipped = 0;
    while (skipped < kMostZerosSkipped && skipped < amount.size() && amount[skipped] == '0') {
        ++skipped;
    }
    const std::string_view rest = amount.substr(skipped);
    const size_t majorLength = rest.size() > kMinorDigits ? rest.size() - kMinorDigits : 0;
    const std::string_view major = rest.substr(0, majorLength);
    const std::string_view minor = rest.substr(majorLength);

    std::string text;
    const size_t head = major.size() % kGroupSize;
    text += major.substr(0, head);
    for (size_t at = head; at < major.size(); at += kGroupSize) {
        if (!text.empty()) {
            text += ',';
        }
        text += major.substr(at, kGroupSize);
    }
    text += '.';
    text += minor;
    return text;
}
