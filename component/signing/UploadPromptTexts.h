// The texts of the two upload prompts, in Windows-1255 as the system stores them.
#pragma once

#include <string>
#include <string_view>

#include "component/promptwire/UploadPromptMessage.h"

// OK, exclamation icon, right-aligned, right-to-left reading.
constexpr UINT kErrorPromptStyle = MB_OK | MB_ICONEXCLAMATION | MB_RIGHT | MB_RTLREADING;
// The same with OK and Cancel.
constexpr UINT kConfirmationPromptStyle =
    MB_OKCANCEL | MB_ICONEXCLAMATION | MB_RIGHT | MB_RTLREADING;

struct ButtonWords {
    std::string_view ok;
    std::string_view cancel;
};

// Hebrew words when the primary language of uiLanguage is Hebrew, else "OK" and "Cancel".
ButtonWords ButtonWordsFor(LANGID uiLanguage);

// Builds the confirmation text: the opening and the file name, then one line per listed
// detail record, and the closing that names the buttons.
class CConfirmationText {
public:
    explicit CConfirmationText(std::string_view fileName);
    // A detail record's institution (positions 1-5, 6-7 and 8) and its amount text.
    void AddDetail(std::string_view record, std::string_view amountText);
    UploadPromptMessage Prompt(LANGID uiLanguage) const;

private:
    void AppendSupplied(std::string_view text);

    std::string text_;
    std::vector<std::pair<size_t, size_t>> supplied_;
};

// The prompt naming the first malformed line and the position from which it is invalid.
UploadPromptMessage ErrorPrompt(std::string_view fileName, int line, int position,
                                LANGID uiLanguage);
