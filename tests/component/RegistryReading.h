// Reading registry entries back in the tests, under HKEY_CLASSES_ROOT.
#pragma once

#include <optional>
#include <string>

#include "component/OleString.h"

namespace norva::test {

bool KeyExists(const std::string& key);

// The REG_SZ value (empty name: the default value); nothing when the key or value is
// missing or holds another type.
std::optional<std::string> ReadText(const std::string& key, const std::string& name = "");

// Subkeys and values directly inside a key, or -1 when it does not exist.
int SubkeyCount(const std::string& key);
int ValueCount(const std::string& key);

// Creates a key with one text value, as leftovers of an earlier installation would be.
bool WriteText(const std::string& key, const std::string& name, const std::string& data);

// Text of a wide string whose characters are all ASCII, or "?" for those that are not.
std::string Narrow(const OleString& text);

} // namespace norva::test
