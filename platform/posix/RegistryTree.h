// The registry as a tree in memory: keys with case-insensitive, case-preserving names,
// subkeys kept in the order Windows enumerates them (by upper-case name), and values kept
// in the order they were first set.
#pragma once

#include "platform/WinApi.h"

#include <map>
#include <string>
#include <vector>

namespace norva {

struct RegistryValue {
    std::u16string name; // empty for the key's default value
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegistryKey {
    std::u16string name;
    std::map<std::u16string, RegistryKey> subkeys; // by folded name
    std::vector<RegistryValue> values;

    RegistryValue* FindValue(const std::u16string& valueName);
    const RegistryValue* FindValue(const std::u16string& valueName) const;
    void SetValue(const std::u16string& valueName, DWORD type, std::vector<BYTE> data);
    bool DeleteValue(const std::u16string& valueName);
};

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Count };

typedef std::vector<std::u16string> RegistryPath;

// How many levels a key lies below its root at most, as on Windows. Deeper paths are refused
// both by the functions and in a store file: the tree is walked recursively.
inline constexpr size_t kMaxKeyDepth = 512;

struct RegistryTree {
    RegistryKey roots[static_cast<int>(RegistryRoot::Count)];

    RegistryKey& Root(RegistryRoot root) { return roots[static_cast<int>(root)]; }
    const RegistryKey& Root(RegistryRoot root) const { return roots[static_cast<int>(root)]; }

    RegistryKey* Find(RegistryRoot root, const RegistryPath& path);
    const RegistryKey* Find(RegistryRoot root, const RegistryPath& path) const;
    // Creates the missing keys along path; created tells whether the last one was new.
    RegistryKey& Create(RegistryRoot root, const RegistryPath& path, bool& created);
    // Removes the key at a non-empty path with everything below it; false when missing.
    bool Erase(RegistryRoot root, const RegistryPath& path);
};

// The names of the three roots, as Windows writes them.
const char16_t* RootName(RegistryRoot root);
// The comparison form of a key or value name: upper case, as Windows compares them.
std::u16string FoldName(const std::u16string& name);

} // namespace norva
