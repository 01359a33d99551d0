// One line of what registration writes: a key under a root, and optionally one string
// value in it. Key paths and data may hold replacement tokens such as "%MODULE%".
#pragma once

#include <string>
#include <vector>

#include "platform/WinApi.h"

enum class KeyRule {
    Normal,       // written on registration, removed with its subtree on unregistration
    Keep,         // written on registration, never removed (shared keys such as "CLSID")
    ReplaceFirst, // an existing key of that name is deleted whole before it is written
};

struct RegistryEntry {
    HKEY root;
    std::string key;
    KeyRule rule;
    bool hasValue;         // false: the key alone
    std::string valueName; // empty: the key's default value
    std::string data;
};

using RegistryEntries = std::vector<RegistryEntry>;
