#include "component/signing/CUserPrompt.h"

void CUserPrompt::ShowError(const UploadPromptMessage& message) {
    ShowPromptDialog(message);
}

// Only OK confirms: Cancel, closing the prompt and a prompt that could not be shown all
// decline.
bool CUserPrompt::AskConfirmation(const UploadPromptMessage& message) {
    return ShowPromptDialog(message) == IDOK;
}

std::unique_ptr<IUploadPrompt> CreateUserPrompt() {
    return std::make_unique<CUserPrompt>();
}
