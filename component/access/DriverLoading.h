// Loading a driver's library. Windows finds the drivers by their own file names; a POSIX
// system may map a driver name to the vendor's module (DriverMap.h), and a mapped driver
// is loaded from its module and from nowhere else.
#pragma once

#include "component/access/DriverTable.h"
#include "platform/WinApi.h"

// The library of the driver, or null (with the last error set) when it cannot be loaded.
HMODULE LoadDriverLibrary(const DriverEntry& driver);
