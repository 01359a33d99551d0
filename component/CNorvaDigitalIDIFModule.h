// Process-wide state of the component library: the lock count that DllCanUnloadNow
// answers from, and the path of the library file itself.
#pragma once

#include "component/OleString.h"

class CNorvaDigitalIDIFModule {
public:
    // Each live object and each LockServer(TRUE) holds one lock.
    static void Lock();
    static void Unlock();
    static LONG LockCount();
    // S_OK when no lock is held, else S_FALSE.
    static HRESULT CanUnloadNow();

    // Full path of the file this code was loaded from. Fails when the path is unknown or
    // does not fit a MAX_PATH buffer with room for its terminating zero.
    static bool FilePath(OleString& path);
};
