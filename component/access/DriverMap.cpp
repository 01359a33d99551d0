#include "component/access/DriverMap.h"

#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

#include "platform/posix/RegistryStore.h"
#include "platform/posix/Utf8.h"

namespace norva {

namespace {

const RegistryPath kMappingKey = {u"Software", u"Norva", u"Drivers"};

RegistryRoot RootOf(MappingScope scope) {
    return scope == MappingScope::User ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine;
}

std::vector<BYTE> TextData(const std::string& text) {
    const std::u16string wide = ToUtf16(text);
    std::vector<BYTE> data((wide.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(data.data(), wide.data(), wide.size() * sizeof(char16_t));
    return data;
}

std::string DataText(const std::vector<BYTE>& data) {
    std::u16string wide(data.size() / sizeof(char16_t), u'\0');
    std::memcpy(wide.data(), data.data(), wide.size() * sizeof(char16_t));
    wide.resize(std::char_traits<char16_t>::length(wide.c_str()));
    return ToUtf8(wide);
}

} // namespace

bool ReadDriverMapping(MappingScope scope, const DriverEntry& driver, std::string& modulePath) {
    RegistryTree tree;
    ReadRegistry(RootOf(scope), tree);
    const RegistryKey* key = tree.Find(RootOf(scope), kMappingKey);
    const RegistryValue* value =
        key != nullptr ? key->FindValue(ToUtf16(driver.libraryName)) : nullptr;
    if (value == nullptr || value->type != REG_SZ) {
        return false;
    }
    modulePath = DataText(value->data);
    return true;
}

bool FindDriverMapping(const DriverEntry& driver, std::string& modulePath, MappingScope& scope) {
    for (const MappingScope candidate : {MappingScope::User, MappingScope::System}) {
        if (ReadDriverMapping(candidate, driver, modulePath)) {
            scope = candidate;
            return true;
        }
    }
    return false;
}

LONG WriteDriverMapping(MappingScope scope, const DriverEntry& driver,
                        const std::string& modulePath) {
    return ModifyRegistry(RootOf(scope), [&](RegistryTree& tree, bool& changed) -> LONG {
        bool created = false;
        tree.Create(RootOf(scope), kMappingKey, created)
            .SetValue(ToUtf16(driver.libraryName), REG_SZ, TextData(modulePath));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG ClearDriverMapping(MappingScope scope, const DriverEntry& driver) {
    return ModifyRegistry(RootOf(scope), [&](RegistryTree& tree, bool& changed) -> LONG {
        RegistryKey* key = tree.Find(RootOf(scope), kMappingKey);
        changed = key != nullptr && key->DeleteValue(ToUtf16(driver.libraryName));
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

ModuleCheck OpenDriverModule(const std::string& modulePath, DriverFamily family, void*& handle,
                             std::string& detail) {
    handle = nullptr;
    detail.clear();
    struct stat status {};
    if (modulePath.empty() || modulePath[0] != '/' || stat(modulePath.c_str(), &status) != 0) {
        return ModuleCheck::Missing;
    }
    void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* error = dlerror();
        detail = error != nullptr ? error : "";
        return ModuleCheck::NotALibrary;
    }
    if (dlsym(module, FamilyEntryPoint(family)) == nullptr) {
        dlclose(module);
        return ModuleCheck::NotADriver;
    }
    handle = module;
    return ModuleCheck::Loaded;
}

} // namespace norva
