#include "component/signing/prompt/DisplayText.h"

#include "platform/posix/Cp1255.h"
#include "platform/posix/Utf8.h"

namespace {

constexpr char kRightToLeftMark[] = "\xE2\x80\x8F";

std::string WithRightToLeftLines(const std::string& text) {
    std::string marked = kRightToLeftMark;
    for (char c : text) {
        marked += c;
        if (c == '\n') {
            marked += kRightToLeftMark;
        }
    }
    return marked;
}

} // namespace

std::string Utf8FromWindows1255(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide += norva::Cp1255ToUnit(static_cast<uint8_t>(c));
    }
    return norva::ToUtf8(wide);
}

DisplayPrompt ForTerminal(const UploadPromptMessage& message) {
    DisplayPrompt prompt;
    prompt.caption = Utf8FromWindows1255(message.caption);
    prompt.text = Utf8FromWindows1255(message.text);
    prompt.okWord = Utf8FromWindows1255(message.okWord);
    prompt.cancelWord = Utf8FromWindows1255(message.cancelWord);
    prompt.withCancel = (message.style & MB_TYPEMASK) == MB_OKCANCEL;
    return prompt;
}

DisplayPrompt ForWindow(const UploadPromptMessage& message) {
    DisplayPrompt prompt = ForTerminal(message);
    prompt.text = WithRightToLeftLines(prompt.text);
    return prompt;
}
