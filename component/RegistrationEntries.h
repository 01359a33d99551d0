// What the component writes to the registry: the registrar script of its application
// identifier and the table of its class entries, both with replacement tokens.
#pragma once

#include <map>
#include <string_view>

#include "component/OleString.h"
#include "component/RegistryEntry.h"

// The text of the application-identifier script (also resource REGISTRY 101).
std::string_view AppIdScript();

// The class's keys under HKEY_CLASSES_ROOT: program identifiers and the class key.
const RegistryEntries& ClassEntries();

// The values of the replacement tokens for a library at modulePath.
std::map<std::string, OleString> ReplacementValues(const OleString& modulePath);
