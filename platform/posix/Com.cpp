// The COM runtime on POSIX: per-thread apartment bookkeeping, and in-process classes found
// through HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 in the registry store.
#include "platform/WinApi.h"

#include <string>

namespace {

struct Apartment {
    ULONG initCount = 0;
    DWORD model = COINIT_APARTMENTTHREADED;
};

thread_local Apartment apartment;

constexpr DWORD kModelMask = COINIT_APARTMENTTHREADED;

// The default value of the class's InprocServer32 key, or false when the class is not there.
bool FindInprocServer(REFCLSID clsid, std::u16string& path) {
    char16_t guidText[40] = {};
    StringFromGUID2(clsid, guidText, 40);
    const std::u16string keyName = u"CLSID\\" + std::u16string(guidText) + u"\\InprocServer32";
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
    std::u16string value(size / sizeof(char16_t) + 1, u'\0');
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, nullptr, nullptr, &type,
                                  reinterpret_cast<BYTE*>(value.data()), &size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    value.resize(std::char_traits<char16_t>::length(value.c_str()));
    path = value;
    return !path.empty();
}

} // namespace

HRESULT CoInitializeEx(LPVOID, DWORD dwCoInit) {
    const DWORD model = dwCoInit & kModelMask;
    if (apartment.initCount > 0) {
        if (apartment.model != model) {
            return RPC_E_CHANGED_MODE;
        }
        ++apartment.initCount;
        return S_FALSE;
    }
    apartment.model = model;
    apartment.initCount = 1;
    return S_OK;
}

HRESULT CoInitialize(LPVOID pvReserved) {
    return CoInitializeEx(pvReserved, COINIT_APARTMENTTHREADED);
}

void CoUninitialize() {
    if (apartment.initCount > 0) {
        --apartment.initCount;
    }
}

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, LPVOID, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) {
        return E_INVALIDARG;
    }
    *ppv = nullptr;
    if (apartment.initCount == 0) {
        return CO_E_NOTINITIALIZED;
    }
    std::u16string path;
    if ((dwClsContext & CLSCTX_INPROC_SERVER) == 0 || !FindInprocServer(rclsid, path)) {
        return REGDB_E_CLASSNOTREG;
    }
    // The library stays loaded for the life of the process.
    HMODULE library = LoadLibraryW(path.c_str());
    if (library == nullptr) {
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    }
    // Through void (*)(), the one function type GCC lets a cast leave silently.
    auto getClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "DllGetClassObject")));
    if (getClassObject == nullptr) {
        return CO_E_ERRORINDLL;
    }
    return getClassObject(rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                         LPVOID* ppv) {
    if (ppv == nullptr) {
        return E_POINTER;
    }
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) {
        return hr;
    }
    if (factory == nullptr) {
        return E_NOINTERFACE;
    }
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    factory->Release();
    return hr;
}
