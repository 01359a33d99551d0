#include "component/access/DriverLoading.h"

HMODULE LoadDriverLibrary(const DriverEntry& driver) {
    return LoadLibraryA(driver.libraryName);
}
