// The prompt texts as the prompt program shows them: UTF-8, converted from Windows-1255.
#pragma once

#include <string>
#include <string_view>

#include "component/promptwire/UploadPromptMessage.h"

struct DisplayPrompt {
    std::string caption;
    std::string text;
    std::string okWord;
    std::string cancelWord;
    bool withCancel = false;
};

std::string Utf8FromWindows1255(std::string_view text);

// Every line of the text starts with a right-to-left mark, so that each one is read and
// aligned from the right as the message box does with right-to-left reading, also a line
// that begins with a Latin file name.
DisplayPrompt ForWindow(const UploadPromptMessage& message);
// For a terminal: no marks, and no control byte reaches the terminal raw except the line
// feeds and tabs of the prompt's own texts. Every control byte of the text the caller
// supplied (message.supplied) and any other one is shown as a visible stand-in: control
// pictures (U+2400-U+241F, U+2421 for DEL), \xNN for C1 controls.
DisplayPrompt ForTerminal(const UploadPromptMessage& message);
