// The prompt asked on the controlling terminal, for a session without a display.
#pragma once

#include "component/signing/prompt/DisplayText.h"

// IDOK only when the person answers yes; IDCANCEL otherwise, and at once when there is no
// controlling terminal; 0 as soon as `channel` (the descriptor the answer goes to) reports
// that its other end has gone. Standard input and output are not used for the dialogue:
// they belong to the caller.
int AskOnTerminal(const DisplayPrompt& prompt, int channel);
