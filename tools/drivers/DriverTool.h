// norva-drivers: the driver mapping of this system (component/access/DriverMap.h) and a check of a
// module before it is mapped. Each command writes its findings to standard output and its errors to
// standard error, and returns one of the exit codes below.
#pragma once

#include <string>
#include <vector>

#include "component/access/DriverMap.h"

namespace norva::tool {

enum ExitCode {
    kDone = 0,
    kUsage = 2,        // bad command line or unknown driver name
    kMissing = 3,      // no module at the path
    kNotAModule = 4,   // not a shared library, or not a driver of the right family
    kModuleFailed = 5, // C_GetFunctionList, C_Initialize or C_GetSlotList failed
    kStoreFailed = 6,  // the registry store could not be written
};

struct Arguments {
    std::vector<std::string> words; // the command's operands, in order
    bool system = false;            // --system: the system-wide mapping
    bool force = false;             // --force: store a mapping that fails its check
};

// The drivers' names as a sentence: "tavlink.dll, brevo32.dll or eTpkcs11.dll".
std::string DriverNamesText();

int ListMappings(const Arguments& arguments);
int SetMapping(const Arguments& arguments);
int ClearMapping(const Arguments& arguments);
int ProbeModule(const Arguments& arguments);

// Opens a module for the family and prints why it cannot be used; kDone with the handle
// open, else the exit code of the failure.
int OpenCheckedModule(const std::string& path, DriverFamily family, void*& handle);
// Loads a PKCS#11 module, initialises it as the component does and finalises it again;
// prints what failed. kDone or the exit code of the failure.
int CheckPkcs11Module(const std::string& path);

} // namespace norva::tool
