// Reads a registrar script into registry entries. The script names a root key
// (HKCR, HKCU, HKLM) and nests keys in braces:
//   NoRemove AppID { '%APPID%' = s 'Name'  'Other' { val AppID = s '%APPID%' } }
// "NoRemove" keeps a key on unregistration, "ForceRemove" deletes it before writing;
// "= s 'text'" sets the default value, "val Name = s 'text'" a named one. Quoted names
// double a quote to include it. Only string values are supported.
#pragma once

#include <string_view>

#include "component/RegistryEntry.h"

// False when the script is malformed; entries then holds what was read before.
bool ParseRegistrarScript(std::string_view script, RegistryEntries& entries);
