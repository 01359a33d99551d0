#include "component/access/TokenLock.h"

#include "component/access/TokenLabels.h"

std::string CTokenLock::NameOf(std::string_view serial) {
    // Written in hexadecimal: a serial may hold any byte, a kernel object's name may not.
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name = "Local\\NorvaEFT-token-";
    for (const char c : TrimBlanks(serial)) {
        const auto byte = static_cast<unsigned char>(c);
        name += kDigits[byte >> 4];
        name += kDigits[byte & 0x0F];
    }
    return name;
}

CTokenLock::CTokenLock(std::string_view serial) {
    mutex = CreateMutexA(nullptr, FALSE, NameOf(serial).c_str());
    if (mutex == nullptr) {
        return;
    }
    // An owner that ended without releasing (WAIT_ABANDONED) left at most an object that
    // it created whole: creation is one driver call.
    const DWORD waited = WaitForSingleObject(mutex, INFINITE);
    held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

CTokenLock::~CTokenLock() {
    if (held) {
        ReleaseMutex(mutex);
    }
    if (mutex != nullptr) {
        CloseHandle(mutex);
    }
}
