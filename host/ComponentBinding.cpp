#include "host/ComponentBinding.h"

#include "host/HostError.h"

namespace norva::host {

namespace {

// The one component object of the process. It is held here until the process ends and never
// released: the process end tears it down. The variable is only ever written, so it is
// volatile: otherwise the compiler drops the store, nothing holds the object any longer, and
// memory checkers rightly report it lost.
IZentor* volatile g_component = nullptr;

// In-process server, in-process handler, local server and remote server.
constexpr DWORD kAnyServerContext = 0x17;
constexpr const char* kClassObjectEntry = "DllGetClassObject";

LPFNGETCLASSOBJECT ClassObjectEntry(HMODULE library) {
    const FARPROC entry = GetProcAddress(library, kClassObjectEntry);
    // Through a plain function pointer: the exported entry's real type is not FARPROC's.
    return reinterpret_cast<LPFNGETCLASSOBJECT>(reinterpret_cast<void (*)()>(entry));
}

// The component library stays loaded for the rest of the process once its class object has
// been asked for, whatever the outcome.
HRESULT CreateFromLibrary(IZentor** component) {
    const HMODULE library = LoadLibraryW(OLESTR("NorvaDigitalIDIF.dll"));
    if (library == nullptr) {
        return REGDB_E_CLASSNOTREG;
    }
    const LPFNGETCLASSOBJECT getClassObject = ClassObjectEntry(library);
    if (getClassObject == nullptr) {
        FreeLibrary(library);
        return REGDB_E_KEYMISSING;
    }
    IClassFactory* factory = nullptr;
    const HRESULT got =
        getClassObject(CLSID_CZentor, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(got)) {
        return got;
    }
    if (factory == nullptr) {
        return E_POINTER;
    }
    const HRESULT created =
        factory->CreateInstance(nullptr, IID_IZentor, reinterpret_cast<void**>(component));
    factory->Release();
    return created;
}

} // namespace

IZentor* BindComponent() {
    IZentor* component = nullptr;
    HRESULT bound = CoCreateInstance(CLSID_CZentor, nullptr, kAnyServerContext, IID_IZentor,
                                     reinterpret_cast<void**>(&component));
    if (bound == REGDB_E_CLASSNOTREG) {
        component = nullptr;
        bound = CreateFromLibrary(&component);
    }
    if (FAILED(bound) || component == nullptr) {
        RaiseHostError(kComponentAccess);
    }
    g_component = component;
    return g_component;
}

} // namespace norva::host
