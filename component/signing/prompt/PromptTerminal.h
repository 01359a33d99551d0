// The prompt asked on the controlling terminal, for a session without a display.
#pragma once

#include "component/signing/prompt/DisplayText.h"

// IDOK only when the person answers yes; IDCANCEL otherwise, and at once when there is no
// controlling terminal. Standard input and output are not used: they belong to the caller.
int AskOnTerminal(const DisplayPrompt& prompt);
