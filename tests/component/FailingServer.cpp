// A library whose registration always fails, for the registration tool's tests.
#include "platform/WinApi.h"

STDAPI DllRegisterServer() {
    return SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    return SELFREG_E_CLASS;
}
