#include "platform/posix/RegistryTree.h"

#include <algorithm>

namespace norva {

namespace {

struct CaseRange {
    char16_t first, last;
    int offset; // added to a lower-case unit to reach its upper case
};

// Lower-case letters of the scripts the registry is likely to see.
constexpr CaseRange kLowerCase[] = {
    {u'a', u'z', -32},     {0x00E0, 0x00F6, -32}, {0x00F8, 0x00FE, -32}, {0x03B1, 0x03C1, -32},
    {0x03C3, 0x03C9, -32}, {0x0430, 0x044F, -32}, {0x0450, 0x045F, -80},
};

char16_t Upper(char16_t unit) {
    for (const CaseRange& range : kLowerCase) {
        if (unit >= range.first && unit <= range.last) {
            return static_cast<char16_t>(unit + range.offset);
        }
    }
    return unit;
}

template <typename Key> auto FindIn(Key* root, const RegistryPath& path) -> Key* {
    Key* key = root;
    for (const std::u16string& name : path) {
        auto found = key->subkeys.find(FoldName(name));
        if (found == key->subkeys.end()) {
            return nullptr;
        }
        key = &found->second;
    }
    return key;
}

template <typename Values>
auto FindValueIn(Values& values, const std::u16string& valueName) -> decltype(&values[0]) {
    const std::u16string folded = FoldName(valueName);
    for (auto& value : values) {
        if (FoldName(value.name) == folded) {
            return &value;
        }
    }
    return nullptr;
}

} // namespace

std::u16string FoldName(const std::u16string& name) {
    std::u16string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), Upper);
    return folded;
}

const char16_t* RootName(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return u"HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
        return u"HKEY_CURRENT_USER";
    default:
        return u"HKEY_LOCAL_MACHINE";
    }
}

RegistryValue* RegistryKey::FindValue(const std::u16string& valueName) {
    return FindValueIn(values, valueName);
}

const RegistryValue* RegistryKey::FindValue(const std::u16string& valueName) const {
    return FindValueIn(values, valueName);
}

void RegistryKey::SetValue(const std::u16string& valueName, DWORD type, std::vector<BYTE> data) {
    RegistryValue* value = FindValue(valueName);
    if (value == nullptr) {
        values.push_back(RegistryValue{valueName, type, {}});
        value = &values.back();
    }
    value->type = type;
    value->data = std::move(data);
}

bool RegistryKey::DeleteValue(const std::u16string& valueName) {
    const std::u16string folded = FoldName(valueName);
    const auto found = std::find_if(values.begin(), values.end(), [&](const RegistryValue& v) {
        return FoldName(v.name) == folded;
    });
    if (found == values.end()) {
        return false;
    }
    values.erase(found);
    return true;
}

RegistryKey* RegistryTree::Find(RegistryRoot root, const RegistryPath& path) {
    return FindIn(&Root(root), path);
}

const RegistryKey* RegistryTree::Find(RegistryRoot root, const RegistryPath& path) const {
    return FindIn(&Root(root), path);
}

RegistryKey& RegistryTree::Create(RegistryRoot root, const RegistryPath& path, bool& created) {
    RegistryKey* key = &Root(root);
    created = false;
    for (const std::u16string& name : path) {
        auto [position, inserted] = key->subkeys.try_emplace(FoldName(name));
        if (inserted) {
            position->second.name = name;
        }
        created = inserted;
        key = &position->second;
    }
    return *key;
}

bool RegistryTree::Erase(RegistryRoot root, const RegistryPath& path) {
    if (path.empty()) {
        return false;
    }
    RegistryKey* parent = Find(root, RegistryPath(path.begin(), path.end() - 1));
    return parent != nullptr && parent->subkeys.erase(FoldName(path.back())) > 0;
}

} // namespace norva
