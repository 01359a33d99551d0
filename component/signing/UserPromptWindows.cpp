// The prompt on Windows: the system's message box, owned by no window.
#include "component/signing/CUserPrompt.h"

int ShowPromptDialog(const UploadPromptMessage& message) {
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = nullptr;
    params.hInstance = nullptr;
    params.lpszText = message.text.c_str();
    params.lpszCaption = message.caption.c_str();
    params.dwStyle = message.style;
    params.dwLanguageId = message.language;
    return MessageBoxIndirectA(&params);
}
