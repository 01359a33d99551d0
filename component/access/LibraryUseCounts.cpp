#include "component/access/LibraryUseCounts.h"

namespace {

// Only three driver libraries exist, so the ten entries never fill; a further library
// beyond ten would simply go uncounted and report 0, as if it were not held.
constexpr int kMaxLibraries = 10;

class LibraryUseTable {
public:
    LibraryUseTable() { InitializeCriticalSection(&lock); }
    ~LibraryUseTable() { DeleteCriticalSection(&lock); }
    LibraryUseTable(const LibraryUseTable&) = delete;
    LibraryUseTable& operator=(const LibraryUseTable&) = delete;

    LONG Acquire(HMODULE module) {
        const Guard guard(lock);
        int entry = Find(module);
        if (entry < 0) {
            entry = Find(nullptr);
        }
        if (entry < 0) {
            if (used == kMaxLibraries) {
                return 0;
            }
            entry = used++;
            counts[entry] = 0;
        }
        modules[entry] = module;
        return ++counts[entry];
    }

    LONG Release(HMODULE module) {
        const Guard guard(lock);
        const int entry = Find(module);
        if (entry < 0) {
            return 0;
        }
        if (--counts[entry] == 0) {
            modules[entry] = nullptr; // free for reuse
        }
        return counts[entry];
    }

private:
    class Guard {
    public:
        explicit Guard(CRITICAL_SECTION& section) : section(section) {
            EnterCriticalSection(&section);
        }
        ~Guard() { LeaveCriticalSection(&section); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        CRITICAL_SECTION& section;
    };

    int Find(HMODULE module) const {
        for (int i = 0; i < used; ++i) {
            if (modules[i] == module) {
                return i;
            }
        }
        return -1;
    }

    HMODULE modules[kMaxLibraries] = {};
    LONG counts[kMaxLibraries] = {};
    int used = 0;
    CRITICAL_SECTION lock;
};

// Created when the component's module is loaded and deleted when it is unloaded.
LibraryUseTable table;

} // namespace

LONG AcquireLibraryUse(HMODULE module) {
    return table.Acquire(module);
}

LONG ReleaseLibraryUse(HMODULE module) {
    return table.Release(module);
}
