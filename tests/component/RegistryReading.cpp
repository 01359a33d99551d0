#include "RegistryReading.h"

#include <vector>

namespace norva::test {

namespace {

class OpenKey {
public:
    explicit OpenKey(const std::string& key) {
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(key).c_str(), 0, KEY_READ, &handle) !=
            ERROR_SUCCESS) {
            handle = nullptr;
        }
    }
    ~OpenKey() {
        if (handle != nullptr) {
            RegCloseKey(handle);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY Get() const { return handle; }

private:
    HKEY handle = nullptr;
};

bool Counts(const std::string& key, DWORD& subkeys, DWORD& values) {
    const OpenKey open(key);
    return open.Get() != nullptr &&
           RegQueryInfoKeyW(open.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

} // namespace

std::string Narrow(const OleString& text) {
    std::string out;
    for (OLECHAR c : text) {
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return out;
}

bool KeyExists(const std::string& key) {
    return OpenKey(key).Get() != nullptr;
}

std::optional<std::string> ReadText(const std::string& key, const std::string& name) {
    const OpenKey open(key);
    if (open.Get() == nullptr) {
        return std::nullopt;
    }
    const OleString valueName = Widen(name);
    DWORD type = 0;
    DWORD bytes = 0;
    const LPCWSTR namePointer = name.empty() ? nullptr : valueName.c_str();
    if (RegQueryValueExW(open.Get(), namePointer, nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::vector<OLECHAR> data(bytes / sizeof(OLECHAR) + 1, 0);
    if (RegQueryValueExW(open.Get(), namePointer, nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Narrow(OleString(data.data()));
}

int SubkeyCount(const std::string& key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    return Counts(key, subkeys, values) ? static_cast<int>(subkeys) : -1;
}

int ValueCount(const std::string& key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    return Counts(key, subkeys, values) ? static_cast<int>(values) : -1;
}

bool WriteText(const std::string& key, const std::string& name, const std::string& data) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, Widen(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const OleString text = Widen(data);
    const OleString valueName = Widen(name);
    const LONG status = RegSetValueExW(handle, valueName.c_str(), 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text.c_str()),
                                       static_cast<DWORD>((text.size() + 1) * sizeof(OLECHAR)));
    RegCloseKey(handle);
    return status == ERROR_SUCCESS;
}

} // namespace norva::test
