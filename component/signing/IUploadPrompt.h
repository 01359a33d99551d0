// The person who confirms an upload file. The review asks through this interface; the
// component hands in the platform's prompt (CreateUserPrompt), tests a double of their own.
#pragma once

#include <memory>

#include "component/promptwire/UploadPromptMessage.h"

class IUploadPrompt {
public:
    virtual ~IUploadPrompt() = default;
    // Shows the error prompt (OK only) and waits until it is answered.
    virtual void ShowError(const UploadPromptMessage& message) = 0;
    // Shows the confirmation prompt and waits, without a time limit; true only for OK.
    virtual bool AskConfirmation(const UploadPromptMessage& message) = 0;
};

// The prompt that a person answers on this platform.
std::unique_ptr<IUploadPrompt> CreateUserPrompt();
