// The prompt that a person answers: the platform's dialog, shown by ShowPromptDialog.
#pragma once

#include "component/signing/IUploadPrompt.h"

class CUserPrompt : public IUploadPrompt {
public:
    void ShowError(const UploadPromptMessage& message) override;
    bool AskConfirmation(const UploadPromptMessage& message) override;
};

// Shows the message modally and answers as the message box does: IDOK for OK, IDCANCEL for
// Cancel, anything else when it could not be shown. Defined once per platform.
int ShowPromptDialog(const UploadPromptMessage& message);
