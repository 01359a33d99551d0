// The ANSI registry functions: names and string data are converted through the ANSI code
// page and handed to the wide-character functions.
#include "platform/WinApi.h"

#include "platform/posix/RegistryHandles.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A converted name; null stays null.
class WideName {
public:
    explicit WideName(LPCSTR text) : isNull_(text == nullptr) {
        if (text != nullptr) {
            text_ = Widen(text, std::strlen(text));
        }
    }
    LPCWSTR get() const { return isNull_ ? nullptr : text_.c_str(); }

    static std::u16string Widen(const char* text, size_t length) {
        std::u16string wide(length, u'\0');
        if (length > 0) {
            MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(),
                                static_cast<int>(length));
        }
        return wide;
    }

private:
    bool isNull_;
    std::u16string text_;
};

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string Narrow(const char16_t* text, size_t length) {
    std::string narrow(length, '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), narrow.data(),
                            static_cast<int>(length), nullptr, nullptr);
    }
    return narrow;
}

} // namespace

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR, DWORD dwOptions,
                     REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
    return RegCreateKeyExW(hKey, WideName(lpSubKey).get(), Reserved, nullptr, dwOptions, samDesired,
                           lpSecurityAttributes, phkResult, lpdwDisposition);
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                   PHKEY phkResult) {
    return RegOpenKeyExW(hKey, WideName(lpSubKey).get(), ulOptions, samDesired, phkResult);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    if (!IsStringType(dwType) || lpData == nullptr) {
        return RegSetValueExW(hKey, WideName(lpValueName).get(), Reserved, dwType, lpData, cbData);
    }
    const std::u16string wide = WideName::Widen(reinterpret_cast<const char*>(lpData), cbData);
    return RegSetValueExW(hKey, WideName(lpValueName).get(), Reserved, dwType,
                          reinterpret_cast<const BYTE*>(wide.data()),
                          static_cast<DWORD>(wide.size() * sizeof(char16_t)));
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    if (lpData != nullptr && lpcbData == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const WideName name(lpValueName);
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExW(hKey, name.get(), lpReserved, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::vector<BYTE> data(size);
    status = RegQueryValueExW(hKey, name.get(), lpReserved, &type, data.data(), &size);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    data.resize(size);
    if (IsStringType(type)) {
        const std::string narrow =
            Narrow(reinterpret_cast<const char16_t*>(data.data()), data.size() / sizeof(char16_t));
        data.assign(narrow.begin(), narrow.end());
    }
    if (lpType != nullptr) {
        *lpType = type;
    }
    return norva::DeliverRegistryData(data, lpData, lpcbData);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    return RegDeleteValueW(hKey, WideName(lpValueName).get());
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    return RegDeleteKeyW(hKey, WideName(lpSubKey).get());
}

LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
    return RegDeleteTreeW(hKey, WideName(lpSubKey).get());
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                   LPSTR lpClass, LPDWORD lpcchClass, PFILETIME lpftLastWriteTime) {
    if (lpName == nullptr || lpcchName == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    // Key names are at most 255 characters.
    char16_t wide[256];
    DWORD length = 256;
    const LONG status = RegEnumKeyExW(hKey, dwIndex, wide, &length, lpReserved, nullptr, nullptr,
                                      lpftLastWriteTime);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (*lpcchName <= length) {
        return ERROR_MORE_DATA;
    }
    const std::string narrow = Narrow(wide, length);
    std::memcpy(lpName, narrow.c_str(), narrow.size() + 1);
    *lpcchName = length;
    if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0) {
        lpClass[0] = 0;
    }
    if (lpcchClass != nullptr) {
        *lpcchClass = 0;
    }
    return ERROR_SUCCESS;
}
