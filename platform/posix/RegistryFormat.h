// The text form of the registry store, in the spirit of a .reg file:
//
//   Norva registry 1
//   [HKEY_CLASSES_ROOT\CLSID\{D41D9EE8-7F0B-488D-B8C4-5A1526BE3478}]
//   @="CZentor Object"
//   "AppID"="{F4FD1EA2-F908-48E6-9AB3-7C67B04C74CA}"
//   "Flags"=dword:00000001
//   "Blob"=hex(3):01,ff
//
// Every key has its own header line. Quoted text is UTF-8 with \\, \" and \uXXXX (for
// control characters and unpaired surrogates) escapes; a REG_SZ value is written as text
// when it ends in its terminating zero, otherwise in hexadecimal.
#pragma once

#include "platform/posix/RegistryTree.h"

namespace norva {

std::string FormatRegistry(const RegistryTree& tree);
// False when the text is not a well-formed store; the tree is then unspecified.
bool ParseRegistry(const std::string& text, RegistryTree& tree);

} // namespace norva
