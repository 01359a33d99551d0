// The four entry points of the component library (exported at ordinals 1 to 4).
#include "component/CNorvaDigitalIDIFModule.h"
#include "component/CZentorFactory.h"
#include "component/ModuleRegistration.h"

namespace {

// The runtime linked into this library takes a thread-local storage slot each time the
// library is loaded and does not give it back when it is unloaded. A client that lets COM
// unload the library whenever it is idle (CoFreeUnusedLibraries) and loads it again for
// the next object would, after some thousand rounds, find no slot left and be stopped by
// the runtime. So once a client asks for the class object the library stays in the
// process: FreeLibrary no longer unmaps it, and DllCanUnloadNow still answers from the
// lock count. Registration alone (regsvr32, an installer) does not keep it, so the file
// can be deleted right after unregistering.
void KeepLoaded() {
#ifdef _WIN32
    static const bool kept = [] {
        HMODULE self = nullptr;
        return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                      GET_MODULE_HANDLE_EX_FLAG_PIN,
                                  reinterpret_cast<LPCWSTR>(&KeepLoaded), &self) != FALSE;
    }();
    (void)kept;
#endif
}

} // namespace

STDAPI DllCanUnloadNow() {
    return CNorvaDigitalIDIFModule::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    KeepLoaded();
    return GetZentorClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() {
    return RegisterModule();
}

STDAPI DllUnregisterServer() {
    return UnregisterModule();
}
