#include "component/Registrar.h"

#include <set>
#include <utility>

namespace {

// Removing a key that is not there is not a failure.
LONG DeleteTree(HKEY root, const OleString& key) {
    const LONG status = RegDeleteTreeW(root, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY Get() const { return key; }
    HKEY* Put() { return &key; }

private:
    HKEY key = nullptr;
};

} // namespace

Registrar::Registrar(std::map<std::string, OleString> values) : replacements(std::move(values)) {}

bool Registrar::Expand(const std::string& text, OleString& out) const {
    out.clear();
    for (size_t at = 0; at < text.size();) {
        if (text[at] != '%') {
            out += static_cast<OLECHAR>(static_cast<unsigned char>(text[at++]));
            continue;
        }
        const size_t end = text.find('%', at + 1);
        if (end == std::string::npos) {
            return false;
        }
        const std::string name = text.substr(at + 1, end - at - 1);
        at = end + 1;
        if (name.empty()) {
            out += '%';
            continue;
        }
        const auto found = replacements.find(name);
        if (found == replacements.end()) {
            return false;
        }
        out += found->second;
    }
    return true;
}

HRESULT Registrar::Write(const RegistryEntry& entry, const OleString& key) const {
    KeyHandle handle;
    LONG status = RegCreateKeyExW(entry.root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_WRITE, nullptr, handle.Put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(status);
    }
    if (!entry.hasValue) {
        return S_OK;
    }
    OleString name;
    OleString data;
    if (!Expand(entry.valueName, name) || !Expand(entry.data, data)) {
        return E_INVALIDARG;
    }
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(OLECHAR));
    status = RegSetValueExW(handle.Get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

HRESULT Registrar::Register(const RegistryEntries& entries) const {
    std::set<OleString> replaced;
    for (const RegistryEntry& entry : entries) {
        OleString key;
        if (!Expand(entry.key, key)) {
            return E_INVALIDARG;
        }
        // Deleted once, before its first line is written: later lines fill the new key.
        if (entry.rule == KeyRule::ReplaceFirst && replaced.insert(key).second) {
            const LONG status = DeleteTree(entry.root, key);
            if (status != ERROR_SUCCESS) {
                return HRESULT_FROM_WIN32(status);
            }
        }
        const HRESULT hr = Write(entry, key);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

// Deepest lines first, so that a key goes after the keys inside it.
HRESULT Registrar::Unregister(const RegistryEntries& entries) const {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->rule == KeyRule::Keep) {
            continue;
        }
        OleString key;
        if (!Expand(entry->key, key)) {
            return E_INVALIDARG;
        }
        const LONG status = DeleteTree(entry->root, key);
        if (status != ERROR_SUCCESS) {
            return HRESULT_FROM_WIN32(status);
        }
    }
    return S_OK;
}
