#include "platform/posix/RegistryHandles.h"

#include <mutex>
#include <set>

struct HKEY__ {
    norva::KeyLocation location;
};

namespace norva {

namespace {

constexpr size_t kMaxKeyNameLength = 255;

struct Predefined {
    HKEY key;
    RegistryRoot root;
};

const Predefined kPredefined[] = {
    {HKEY_CLASSES_ROOT, RegistryRoot::ClassesRoot},
    {HKEY_CURRENT_USER, RegistryRoot::CurrentUser},
    {HKEY_LOCAL_MACHINE, RegistryRoot::LocalMachine},
};

std::mutex handlesMutex;
std::set<HKEY> openHandles;

// Key names are stored as text lines, so control characters are refused.
bool IsValidKeyName(const std::u16string& name) {
    if (name.empty() || name.size() > kMaxKeyNameLength) {
        return false;
    }
    for (const char16_t c : name) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsPredefinedKey(HKEY key) {
    for (const Predefined& entry : kPredefined) {
        if (entry.key == key) {
            return true;
        }
    }
    return false;
}

bool LocateKey(HKEY key, KeyLocation& location) {
    for (const Predefined& entry : kPredefined) {
        if (entry.key == key) {
            location = KeyLocation{entry.root, {}};
            return true;
        }
    }
    const std::lock_guard<std::mutex> guard(handlesMutex);
    if (openHandles.count(key) == 0) {
        return false;
    }
    location = key->location;
    return true;
}

HKEY OpenHandle(const KeyLocation& location) {
    HKEY key = new HKEY__{location};
    const std::lock_guard<std::mutex> guard(handlesMutex);
    openHandles.insert(key);
    return key;
}

bool CloseHandle(HKEY key) {
    {
        const std::lock_guard<std::mutex> guard(handlesMutex);
        if (openHandles.erase(key) == 0) {
            return false;
        }
    }
    delete key;
    return true;
}

LONG AppendSubKey(const char16_t* subKey, RegistryPath& path) {
    if (subKey == nullptr || subKey[0] == 0) {
        return ERROR_SUCCESS;
    }
    if (subKey[0] == u'\\') {
        return ERROR_BAD_PATHNAME;
    }
    const std::u16string text(subKey);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(u'\\', start);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        const std::u16string name = text.substr(start, end - start);
        if (name.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        if (!IsValidKeyName(name)) {
            return ERROR_INVALID_PARAMETER;
        }
        path.push_back(name);
        if (path.size() > kMaxKeyDepth) {
            return ERROR_INVALID_PARAMETER;
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

} // namespace norva
