// What the component tells the prompt program, and what the program answers.
//
// The request goes to the program's standard input, which is closed after it: the message
// style as four bytes (least significant first), then caption, text, OK word and Cancel
// word, each as a four-byte length and its Windows-1255 bytes, then the ranges of the text
// that the caller supplied: a four-byte count and each range as two four-byte offsets. The program
// writes its answer to its standard output as the message box's answer number and a line feed
// ("1\n" for OK).
#pragma once

#include <string>
#include <string_view>

#include "component/promptwire/UploadPromptMessage.h"

std::string EncodePromptRequest(const UploadPromptMessage& message);
// False when the bytes are not one whole request.
bool DecodePromptRequest(std::string_view bytes, UploadPromptMessage& message);

std::string EncodePromptAnswer(int answer);
// The answer number, or 0 when the bytes are not one whole answer.
int DecodePromptAnswer(std::string_view bytes);
