#include "component/CNorvaDigitalIDIFModule.h"

#include <atomic>

namespace {

// Objects of different apartments, and their clients' LockServer calls, may change the
// count at the same time, so every change is one atomic step.
std::atomic<LONG> lockCount{0};

} // namespace

void CNorvaDigitalIDIFModule::Lock() {
    lockCount.fetch_add(1);
}

// An unbalanced LockServer(FALSE) must not leave the count below zero, where the module
// could never be unloaded again.
void CNorvaDigitalIDIFModule::Unlock() {
    LONG current = lockCount.load();
    while (current > 0 && !lockCount.compare_exchange_weak(current, current - 1)) {
    }
}

LONG CNorvaDigitalIDIFModule::LockCount() {
    return lockCount.load();
}

HRESULT CNorvaDigitalIDIFModule::CanUnloadNow() {
    return lockCount.load() == 0 ? S_OK : S_FALSE;
}

bool CNorvaDigitalIDIFModule::FilePath(OleString& path) {
    HMODULE module = nullptr;
    // Any address inside this library names it, whether it was loaded by path or by name.
    const auto* anchor = reinterpret_cast<LPCWSTR>(&lockCount);
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            anchor, &module)) {
        return false;
    }
    WCHAR buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
    // A full buffer means the path was cut short.
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    path.assign(buffer, buffer + length);
    return true;
}
