// A library whose registration always fails, for the registration tool's tests.
#include "platform/WinApi.h"

STDAPI DllRegisterServer() {
    return E_FAIL;
}

STDAPI DllUnregisterServer() {
    return E_FAIL;
}
