// A lock on one token shared by every process of the machine, named after the token's
// serial number: a named mutex on Windows, a lock file elsewhere (platform/). It is held
// while a data object is searched for and, when none is found, created, so that two
// processes storing the holder record at the same moment never both find none and both
// create one: the second finds the first's object and sets its value.
#pragma once

#include <string>
#include <string_view>

#include "platform/WinApi.h"

class CTokenLock {
public:
    // Waits for the lock as long as another process holds it. When the system cannot give
    // one (no lock folder, say), the work goes on unlocked, as it would on a token used by
    // one process only.
    explicit CTokenLock(std::string_view serial);
    ~CTokenLock();
    CTokenLock(const CTokenLock&) = delete;
    CTokenLock& operator=(const CTokenLock&) = delete;

    bool Held() const { return held; }
    // The system name of the lock of a token with this serial (blanks around it ignored).
    static std::string NameOf(std::string_view serial);

private:
    HANDLE mutex = nullptr;
    bool held = false;
};
