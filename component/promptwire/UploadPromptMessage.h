// One prompt about an upload file, as the message box takes it.
#pragma once

#include <string>

#include "platform/WinApi.h"

struct UploadPromptMessage {
    std::string caption; // Windows-1255
    std::string text;    // Windows-1255
    UINT style = 0;      // message-box style: buttons, icon, alignment and reading order
    LANGID language = 0; // of the buttons; 0 lets the system choose
    // The button words the text names (Windows-1255), for a prompt that draws its own
    // buttons; cancelWord is empty when there is only OK.
    std::string okWord;
    std::string cancelWord;
};
