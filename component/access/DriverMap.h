// Where the token driver libraries are on a POSIX system. On Windows the drivers' installers
// put "tavlink.dll", "brevo32.dll" and "eTpkcs11.dll" where LoadLibrary finds them; a
// POSIX system has the vendor's module under a name and folder of its own. The mapping
// names that module, per driver, in the registry store:
//
//   [HKEY_CURRENT_USER\Software\Norva\Drivers]     per user, consulted first
//   [HKEY_LOCAL_MACHINE\Software\Norva\Drivers]    system-wide
//   "tavlink.dll"="/usr/lib/x86_64-linux-gnu/opensc-pkcs11.so"
//
// A driver mapped in either place is loaded from its module path and from nowhere else:
// the per-user entry wins over the system-wide one, and a module that is missing or is not
// a driver of the right family makes the driver absent instead of falling back to a file
// found by the library search. Names without an entry are searched for as always.
#pragma once

#include <string>

#include "component/access/DriverTable.h"
#include "platform/WinApi.h"

namespace norva {

enum class MappingScope { User, System };

// The mapped module of a driver in one scope; false when there is no entry.
bool ReadDriverMapping(MappingScope scope, const DriverEntry& driver, std::string& modulePath);
// The mapping in force: the per-user entry, else the system-wide one.
bool FindDriverMapping(const DriverEntry& driver, std::string& modulePath, MappingScope& scope);
// Win32 error codes of the store: ERROR_ACCESS_DENIED when the scope's store cannot be
// written (the system-wide store belongs to root), ERROR_FILE_NOT_FOUND when clearing a
// driver that has no entry.
LONG WriteDriverMapping(MappingScope scope, const DriverEntry& driver,
                        const std::string& modulePath);
LONG ClearDriverMapping(MappingScope scope, const DriverEntry& driver);

enum class ModuleCheck {
    Loaded,      // handle holds the open module
    Missing,     // no file at the path, or the path is not absolute
    NotALibrary, // the file cannot be loaded as a shared library
    NotADriver,  // a library, without the family's entry point
};

// Opens a module for a driver of the family (dlopen, RTLD_NOW | RTLD_LOCAL). On anything
// but Loaded the handle is null and detail says what the loader reported.
ModuleCheck OpenDriverModule(const std::string& modulePath, DriverFamily family, void*& handle,
                             std::string& detail);

} // namespace norva
