// The prompt as a GTK window.
#pragma once

#include "component/signing/prompt/DisplayText.h"

// False when there is no display to show it on.
bool CanShowWindows(int& argc, char**& argv);
// Shows the prompt modally above other windows and answers IDOK or IDCANCEL; closes it and
// answers 0 as soon as `channel` (the descriptor the answer goes to) reports that its other
// end has gone.
int AskInWindow(const DisplayPrompt& prompt, int channel);
