// The wide-character registry functions over the store.
#include "platform/WinApi.h"

#include "platform/posix/RegistryHandles.h"
#include "platform/posix/RegistryStore.h"

#include <algorithm>
#include <cstring>

using norva::KeyLocation;
using norva::RegistryKey;
using norva::RegistryTree;
using norva::RegistryValue;

namespace {

std::u16string ValueName(LPCWSTR name) {
    return name != nullptr ? name : u"";
}

// Resolves hKey and lpSubKey into one location.
LONG Locate(HKEY hKey, LPCWSTR lpSubKey, KeyLocation& location) {
    if (!norva::LocateKey(hKey, location)) {
        return ERROR_INVALID_HANDLE;
    }
    return norva::AppendSubKey(lpSubKey, location.path);
}

// Runs query on the key named by hKey in a fresh copy of the store.
template <typename Query> LONG WithKey(HKEY hKey, Query query) {
    KeyLocation location;
    if (!norva::LocateKey(hKey, location)) {
        return ERROR_INVALID_HANDLE;
    }
    RegistryTree tree;
    norva::ReadRegistry(location.root, tree);
    const RegistryKey* key = tree.Find(location.root, location.path);
    return key != nullptr ? query(*key) : ERROR_KEY_DELETED;
}

// Applies change to the key named by hKey.
template <typename Change> LONG ChangeKey(HKEY hKey, Change change) {
    KeyLocation location;
    if (!norva::LocateKey(hKey, location)) {
        return ERROR_INVALID_HANDLE;
    }
    return norva::ModifyRegistry(location.root, [&](RegistryTree& tree, bool& changed) -> LONG {
        RegistryKey* key = tree.Find(location.root, location.path);
        if (key == nullptr) {
            return ERROR_KEY_DELETED;
        }
        return change(*key, changed);
    });
}

// Copies a name and its terminating zero; lpcchName counts characters without the zero.
LONG DeliverName(const std::u16string& name, LPWSTR lpName, LPDWORD lpcchName) {
    if (*lpcchName <= name.size()) {
        return ERROR_MORE_DATA;
    }
    std::copy(name.begin(), name.end(), lpName);
    lpName[name.size()] = 0;
    *lpcchName = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

const RegistryKey* SubkeyAt(const RegistryKey& key, DWORD index) {
    if (index >= key.subkeys.size()) {
        return nullptr;
    }
    return &std::next(key.subkeys.begin(), index)->second;
}

void ClearOptional(LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
        lpClass[0] = 0;
    }
    if (lpcchClass != nullptr) {
        *lpcchClass = 0;
    }
    if (lpftLastWriteTime != nullptr) {
        *lpftLastWriteTime = FILETIME{0, 0};
    }
}

void SetIfGiven(LPDWORD target, size_t value) {
    if (target != nullptr) {
        *target = static_cast<DWORD>(value);
    }
}

} // namespace

namespace norva {

LONG DeliverRegistryData(const std::vector<BYTE>& data, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpcbData == nullptr) {
        return ERROR_SUCCESS;
    }
    const DWORD size = static_cast<DWORD>(data.size());
    if (lpData != nullptr && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData != nullptr) {
        std::copy(data.begin(), data.end(), lpData);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

} // namespace norva

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM,
                     const LPSECURITY_ATTRIBUTES, PHKEY phkResult, LPDWORD lpdwDisposition) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyLocation location;
    LONG status = Locate(hKey, lpSubKey, location);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    bool created = false;
    status = norva::ModifyRegistry(location.root, [&](RegistryTree& tree, bool& changed) -> LONG {
        tree.Create(location.root, location.path, created);
        changed = created;
        return ERROR_SUCCESS;
    });
    if (status != ERROR_SUCCESS) {
        return status;
    }
    *phkResult = norva::OpenHandle(location);
    SetIfGiven(lpdwDisposition, created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY);
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    if (phkResult == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyLocation location;
    const LONG status = Locate(hKey, lpSubKey, location);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegistryTree tree;
    norva::ReadRegistry(location.root, tree);
    if (tree.Find(location.root, location.path) == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    *phkResult = norva::OpenHandle(location);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    if (norva::IsPredefinedKey(hKey)) {
        return ERROR_SUCCESS;
    }
    return norva::CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    if (lpData == nullptr && cbData != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    std::vector<BYTE> data(lpData, lpData + (lpData != nullptr ? cbData : 0));
    return ChangeKey(hKey, [&](RegistryKey& key, bool& changed) -> LONG {
        key.SetValue(ValueName(lpValueName), dwType, std::move(data));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const RegistryKey& key) -> LONG {
        const RegistryValue* value = key.FindValue(ValueName(lpValueName));
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        SetIfGiven(lpType, value->type);
        return norva::DeliverRegistryData(value->data, lpData, lpcbData);
    });
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
    return ChangeKey(hKey, [&](RegistryKey& key, bool& changed) -> LONG {
        changed = key.DeleteValue(ValueName(lpValueName));
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
    if (lpSubKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    KeyLocation location;
    const LONG status = Locate(hKey, lpSubKey, location);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (location.path.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    return norva::ModifyRegistry(location.root, [&](RegistryTree& tree, bool& changed) -> LONG {
        const RegistryKey* key = tree.Find(location.root, location.path);
        if (key == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (!key->subkeys.empty()) {
            return ERROR_ACCESS_DENIED;
        }
        changed = tree.Erase(location.root, location.path);
        return ERROR_SUCCESS;
    });
}

LONG RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey) {
    KeyLocation location;
    const LONG status = Locate(hKey, lpSubKey, location);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    const bool wholeKey = lpSubKey != nullptr && lpSubKey[0] != 0;
    return norva::ModifyRegistry(location.root, [&](RegistryTree& tree, bool& changed) -> LONG {
        RegistryKey* key = tree.Find(location.root, location.path);
        if (key == nullptr) {
            return wholeKey ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
        }
        changed = true;
        if (wholeKey) {
            tree.Erase(location.root, location.path);
        } else {
            // Without a subkey the key stays and loses its subkeys and values.
            key->subkeys.clear();
            key->values.clear();
        }
        return ERROR_SUCCESS;
    });
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD,
                   LPWSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (lpName == nullptr || lpcchName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const RegistryKey& key) -> LONG {
        const RegistryKey* subkey = SubkeyAt(key, dwIndex);
        if (subkey == nullptr) {
            return ERROR_NO_MORE_ITEMS;
        }
        const LONG status = DeliverName(subkey->name, lpName, lpcchName);
        if (status == ERROR_SUCCESS) {
            ClearOptional(lpClass, lpcchClass, lpftLastWriteTime);
        }
        return status;
    });
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    if (lpValueName == nullptr || lpcchValueName == nullptr ||
        (lpData != nullptr && lpcbData == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    return WithKey(hKey, [&](const RegistryKey& key) -> LONG {
        if (dwIndex >= key.values.size()) {
            return ERROR_NO_MORE_ITEMS;
        }
        const RegistryValue& value = key.values[dwIndex];
        const LONG status = DeliverName(value.name, lpValueName, lpcchValueName);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        SetIfGiven(lpType, value.type);
        return norva::DeliverRegistryData(value.data, lpData, lpcbData);
    });
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                      LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    return WithKey(hKey, [&](const RegistryKey& key) -> LONG {
        size_t longestKey = 0, longestName = 0, largestData = 0;
        for (const auto& entry : key.subkeys) {
            longestKey = std::max(longestKey, entry.second.name.size());
        }
        for (const RegistryValue& value : key.values) {
            longestName = std::max(longestName, value.name.size());
            largestData = std::max(largestData, value.data.size());
        }
        ClearOptional(lpClass, lpcchClass, lpftLastWriteTime);
        SetIfGiven(lpcSubKeys, key.subkeys.size());
        SetIfGiven(lpcbMaxSubKeyLen, longestKey);
        SetIfGiven(lpcbMaxClassLen, 0);
        SetIfGiven(lpcValues, key.values.size());
        SetIfGiven(lpcbMaxValueNameLen, longestName);
        SetIfGiven(lpcbMaxValueLen, largestData);
        SetIfGiven(lpcbSecurityDescriptor, 0);
        return ERROR_SUCCESS;
    });
}
