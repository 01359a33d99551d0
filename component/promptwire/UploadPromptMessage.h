// One prompt about an upload file, as the message box takes it.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

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
    // Where text holds what the caller handed in (the file name, the fields of the records),
    // as [first, second) byte ranges in order. A prompt that cannot show control bytes of
    // such text harmlessly shows them as visible stand-ins.
    std::vector<std::pair<size_t, size_t>> supplied;
};
