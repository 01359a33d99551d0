// DllRegisterServer and DllUnregisterServer: the application identifier, the class
// entries and the type library of the library file, under the system default locale.
#pragma once

#include "platform/WinApi.h"

HRESULT RegisterModule();
HRESULT UnregisterModule();
