// The process-wide use counts of the driver libraries. A PKCS#11 library is initialised
// by its first user in the process and finalised by its last, whatever CZentor object
// the users belong to; the table and its locks are shared by all of them.
#pragma once

#include "platform/WinApi.h"

// Run for the first or the last user of a library, with the context given.
using LibraryUseAction = void (*)(void* context);

// Adds a user of the library and returns its new use count (1 for the first user). For
// the first user `firstUse` runs before the call returns. Initialisation and
// finalisation of one library never overlap: a user counted while the last one's
// finalisation runs waits for it and then initialises the library afresh.
LONG AcquireLibraryUse(HMODULE module, LibraryUseAction firstUse = nullptr,
                       void* context = nullptr);

// Removes a user and returns the remaining count (0 also when the library is not held).
// When the count reaches 0 `lastUse` runs before the library's entry is given up.
LONG ReleaseLibraryUse(HMODULE module, LibraryUseAction lastUse = nullptr, void* context = nullptr);
