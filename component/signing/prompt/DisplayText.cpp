#include "component/signing/prompt/DisplayText.h"

#include "platform/posix/Cp1255.h"
#include "platform/posix/Utf8.h"

namespace {

constexpr char kRightToLeftMark[] = "\xE2\x80\x8F";

bool IsControl(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit < 0xA0);
}

// C0 controls and DEL as their control pictures (U+2400-U+241F, U+2421), C1 controls (the
// bytes that Windows-1255 leaves undefined) as \xNN. Windows-1255 has no control pictures,
// so the caller's text cannot forge one.
void AppendStandIn(std::u16string& out, char16_t unit) {
    if (unit < 0x20) {
        out += static_cast<char16_t>(0x2400 + unit);
    } else if (unit == 0x7F) {
        out += u'\u2421';
    } else {
        constexpr char16_t kDigits[] = u"0123456789ABCDEF";
        out += u"\\x";
        out += kDigits[unit >> 4];
        out += kDigits[unit & 0xF];
    }
}

// The line feeds and tabs of the prompt's own texts lay it out; every other control byte,
// and every one of the caller's text, is shown as a stand-in.
std::string TerminalText(std::string_view text,
                         const std::vector<std::pair<size_t, size_t>>& supplied) {
    std::u16string wide;
    wide.reserve(text.size());
    auto range = supplied.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        while (range != supplied.end() && range->second <= i) {
            ++range;
        }
        const bool fromCaller = range != supplied.end() && range->first <= i;
        const char16_t unit = norva::Cp1255ToUnit(static_cast<uint8_t>(text[i]));
        const bool layout = !fromCaller && (unit == u'\n' || unit == u'\t');
        if (IsControl(unit) && !layout) {
            AppendStandIn(wide, unit);
        } else {
            wide += unit;
        }
    }
    return norva::ToUtf8(wide);
}

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
    prompt.caption = TerminalText(message.caption, {});
    prompt.text = TerminalText(message.text, message.supplied);
    prompt.okWord = TerminalText(message.okWord, {});
    prompt.cancelWord = TerminalText(message.cancelWord, {});
    prompt.withCancel = (message.style & MB_TYPEMASK) == MB_OKCANCEL;
    return prompt;
}

DisplayPrompt ForWindow(const UploadPromptMessage& message) {
    DisplayPrompt prompt;
    prompt.caption = Utf8FromWindows1255(message.caption);
    prompt.text = WithRightToLeftLines(Utf8FromWindows1255(message.text));
    prompt.okWord = Utf8FromWindows1255(message.okWord);
    prompt.cancelWord = Utf8FromWindows1255(message.cancelWord);
    prompt.withCancel = (message.style & MB_TYPEMASK) == MB_OKCANCEL;
    return prompt;
}
