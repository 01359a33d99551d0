// The process-wide use counts of the driver libraries. A PKCS#11 library is initialised
// by its first user in the process and finalised by its last, whatever CZentor object
// the users belong to; the table and its critical section are shared by all of them.
#pragma once

#include "platform/WinApi.h"

// Adds a user of the library and returns its new use count (1 for the first user).
LONG AcquireLibraryUse(HMODULE module);

// Removes a user and returns the remaining count; 0 also when the library is not held.
LONG ReleaseLibraryUse(HMODULE module);
