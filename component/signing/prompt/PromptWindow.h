// The prompt as a GTK window.
#pragma once

#include "component/signing/prompt/DisplayText.h"

// False when there is no display to show it on.
bool CanShowWindows(int& argc, char**& argv);
// Shows the prompt modally above other windows and answers IDOK or IDCANCEL.
int AskInWindow(const DisplayPrompt& prompt);
