// Open registry keys. A handle names a key by its root and path; the key itself is looked
// up in the store on every call, so a handle sees changes made by other processes.
#pragma once

#include "platform/posix/RegistryTree.h"

namespace norva {

struct KeyLocation {
    RegistryRoot root = RegistryRoot::ClassesRoot;
    RegistryPath path;
};

// The location of a predefined root or an open handle; false for anything else.
bool LocateKey(HKEY key, KeyLocation& location);
HKEY OpenHandle(const KeyLocation& location);
// False when key is not an open handle.
bool CloseHandle(HKEY key);
bool IsPredefinedKey(HKEY key);

// Splits a subkey name at its backslashes and appends it to path. A null or empty name
// adds nothing; a trailing backslash is ignored. Returns a Win32 error for a malformed name.
LONG AppendSubKey(const char16_t* subKey, RegistryPath& path);

// Hands value data to a caller with the conventions of RegQueryValueEx: the size alone when
// lpData is null, ERROR_MORE_DATA and the size needed when the buffer is too small.
LONG DeliverRegistryData(const std::vector<BYTE>& data, LPBYTE lpData, LPDWORD lpcbData);

} // namespace norva
