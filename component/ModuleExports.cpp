// The four entry points of the component library (exported at ordinals 1 to 4).
#include "component/CNorvaDigitalIDIFModule.h"
#include "component/CZentorFactory.h"
#include "component/ModuleRegistration.h"

STDAPI DllCanUnloadNow() {
    return CNorvaDigitalIDIFModule::CanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    return GetZentorClassObject(rclsid, riid, ppv);
}

STDAPI DllRegisterServer() {
    return RegisterModule();
}

STDAPI DllUnregisterServer() {
    return UnregisterModule();
}
