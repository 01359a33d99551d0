// Names that late-bound callers may ask for, and their dispatch identifiers.
#pragma once

#include "platform/WinApi.h"

// Looks the name up in table order, ignoring the case of ASCII letters. A null name or
// one not in the table gives false.
bool FindDispatchId(const OLECHAR* name, DISPID& id);
