#include "component/ModuleRegistration.h"

#include "component/CNorvaDigitalIDIFModule.h"
#include "component/ComHandles.h"
#include "component/Registrar.h"
#include "component/RegistrarScript.h"
#include "component/RegistrationEntries.h"
#include "component/ZentorIds.h"
#include "platform/TypeLibSupport.h"

namespace {

// The thread runs under the system default locale while it registers, so that names and
// type-library registration do not depend on the user's settings.
class SystemLocaleScope {
public:
    SystemLocaleScope() : saved(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(saved); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

private:
    LCID saved;
};

HRESULT AppIdEntries(RegistryEntries& entries) {
    return ParseRegistrarScript(AppIdScript(), entries) ? S_OK : E_UNEXPECTED;
}

// A platform without a type-library loader has no type library to register.
HRESULT RegisterTypeLibrary(const OleString& path) {
    if (!kTypeLibrariesAvailable) {
        return S_OK;
    }
    ComRef<ITypeLib> library;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Put());
    if (FAILED(hr)) {
        return hr;
    }
    OleString file = path; // the Windows declaration takes a writable string
    return RegisterTypeLib(library.Get(), file.data(), nullptr);
}

bool TypeLibraryRegistered() {
    const OleString key = Widen("TypeLib\\") + GuidText(LIBID_NorvaDigitalIDIF) + Widen("\\1.0");
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(handle);
    return true;
}

// Nothing registered is nothing to remove (the system answers that case with differing
// errors, so it is not asked).
HRESULT UnregisterTypeLibrary() {
    if (!kTypeLibrariesAvailable || !TypeLibraryRegistered()) {
        return S_OK;
    }
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    return UnRegisterTypeLib(LIBID_NorvaDigitalIDIF, 1, 0, 0, kind);
}

} // namespace

HRESULT RegisterModule() {
    SystemLocaleScope locale;
    OleString path;
    if (!CNorvaDigitalIDIFModule::FilePath(path)) {
        return E_FAIL;
    }
    const Registrar registrar(ReplacementValues(path));
    RegistryEntries appId;
    HRESULT hr = AppIdEntries(appId);
    if (SUCCEEDED(hr)) {
        hr = registrar.Register(appId);
    }
    if (SUCCEEDED(hr)) {
        hr = registrar.Register(ClassEntries());
    }
    if (SUCCEEDED(hr)) {
        hr = RegisterTypeLibrary(path);
    }
    return hr;
}

HRESULT UnregisterModule() {
    SystemLocaleScope locale;
    OleString path;
    if (!CNorvaDigitalIDIFModule::FilePath(path)) {
        return E_FAIL;
    }
    const Registrar registrar(ReplacementValues(path));
    HRESULT hr = registrar.Unregister(ClassEntries());
    if (SUCCEEDED(hr)) {
        hr = UnregisterTypeLibrary();
    }
    RegistryEntries appId;
    if (SUCCEEDED(hr)) {
        hr = AppIdEntries(appId);
    }
    if (SUCCEEDED(hr)) {
        hr = registrar.Unregister(appId);
    }
    return hr;
}
