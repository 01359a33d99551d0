// A prompt that nobody sees: it records what it was shown and answers as told.
#pragma once

#include <vector>

#include "component/signing/IUploadPrompt.h"

class CPromptDouble : public IUploadPrompt {
public:
    explicit CPromptDouble(bool confirm) : confirm_(confirm) {}

    void ShowError(const UploadPromptMessage& message) override { errors.push_back(message); }
    bool AskConfirmation(const UploadPromptMessage& message) override {
        confirmations.push_back(message);
        return confirm_;
    }

    std::vector<UploadPromptMessage> errors;
    std::vector<UploadPromptMessage> confirmations;

private:
    bool confirm_;
};
