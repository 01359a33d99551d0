#include "component/promptwire/PromptRequest.h"

#include <cstdint>

namespace {

// Far more than any prompt text; a longer field means the bytes are not a request.
constexpr uint32_t kLongestField = 1u << 20;

void PutNumber(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

bool TakeNumber(std::string_view& in, uint32_t& value) {
    if (in.size() < 4) {
        return false;
    }
    value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(static_cast<uint8_t>(in[i])) << (8 * i);
    }
    in.remove_prefix(4);
    return true;
}

void PutField(std::string& out, const std::string& field) {
    PutNumber(out, static_cast<uint32_t>(field.size()));
    out += field;
}

bool TakeField(std::string_view& in, std::string& field) {
    uint32_t length = 0;
    if (!TakeNumber(in, length) || length > kLongestField || in.size() < length) {
        return false;
    }
    field.assign(in.substr(0, length));
    in.remove_prefix(length);
    return true;
}

// Ranges in order, each inside text; anything else means the bytes are not a request.
bool TakeRanges(std::string_view& in, size_t textSize,
                std::vector<std::pair<size_t, size_t>>& ranges) {
    uint32_t count = 0;
    if (!TakeNumber(in, count) || count > in.size() / 8) {
        return false;
    }
    ranges.clear();
    size_t previousEnd = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t first = 0;
        uint32_t second = 0;
        TakeNumber(in, first);
        TakeNumber(in, second);
        if (first < previousEnd || second < first || second > textSize) {
            return false;
        }
        ranges.emplace_back(first, second);
        previousEnd = second;
    }
    return true;
}

} // namespace

std::string EncodePromptRequest(const UploadPromptMessage& message) {
    std::string out;
    PutNumber(out, message.style);
    PutField(out, message.caption);
    PutField(out, message.text);
    PutField(out, message.okWord);
    PutField(out, message.cancelWord);
    PutNumber(out, static_cast<uint32_t>(message.supplied.size()));
    for (const auto& [first, second] : message.supplied) {
        PutNumber(out, static_cast<uint32_t>(first));
        PutNumber(out, static_cast<uint32_t>(second));
    }
    return out;
}

bool DecodePromptRequest(std::string_view bytes, UploadPromptMessage& message) {
    uint32_t style = 0;
    const bool whole = TakeNumber(bytes, style) && TakeField(bytes, message.caption) &&
                       TakeField(bytes, message.text) && TakeField(bytes, message.okWord) &&
                       TakeField(bytes, message.cancelWord) &&
                       TakeRanges(bytes, message.text.size(), message.supplied) && bytes.empty();
    message.style = style;
    return whole;
}

std::string EncodePromptAnswer(int answer) {
    return std::to_string(answer) + "\n";
}

int DecodePromptAnswer(std::string_view bytes) {
    if (bytes == EncodePromptAnswer(IDOK)) {
        return IDOK;
    }
    if (bytes == EncodePromptAnswer(IDCANCEL)) {
        return IDCANCEL;
    }
    return 0;
}
