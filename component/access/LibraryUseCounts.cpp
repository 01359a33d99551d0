#include "component/access/LibraryUseCounts.h"

namespace {

// Only three driver libraries exist, so the ten entries never fill; a further library
// beyond ten would simply go uncounted and report 0, as if it were not held.
constexpr int kMaxLibraries = 10;

class Guard {
public:
    explicit Guard(CRITICAL_SECTION& section) : section(section) { EnterCriticalSection(&section); }
    ~Guard() { LeaveCriticalSection(&section); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    CRITICAL_SECTION& section;
};

// `lock` guards the arrays; each entry's own lock is held while its library's count
// changes and while the library is initialised or finalised, so that the calls of one
// library are serialised without holding up the others. An entry keeps its library
// until the last user's finalisation is over.
class LibraryUseTable {
public:
    LibraryUseTable() {
        InitializeCriticalSection(&lock);
        for (CRITICAL_SECTION& section : entryLocks) {
            InitializeCriticalSection(&section);
        }
    }
    ~LibraryUseTable() {
        for (CRITICAL_SECTION& section : entryLocks) {
            DeleteCriticalSection(&section);
        }
        DeleteCriticalSection(&lock);
    }
    LibraryUseTable(const LibraryUseTable&) = delete;
    LibraryUseTable& operator=(const LibraryUseTable&) = delete;

    LONG Acquire(HMODULE module, LibraryUseAction firstUse, void* context) {
        for (;;) {
            const int entry = Claim(module);
            if (entry < 0) {
                return 0;
            }
            const Guard serialised(entryLocks[entry]);
            LONG count = 0;
            {
                const Guard guard(lock);
                if (modules[entry] != module) {
                    continue; // given up by a finalisation we waited for: claim again
                }
                count = ++counts[entry];
            }
            if (count == 1 && firstUse != nullptr) {
                firstUse(context);
            }
            return count;
        }
    }

    LONG Release(HMODULE module, LibraryUseAction lastUse, void* context) {
        int entry = -1;
        {
            const Guard guard(lock);
            entry = Find(module);
        }
        if (entry < 0) {
            return 0;
        }
        const Guard serialised(entryLocks[entry]);
        {
            const Guard guard(lock);
            if (modules[entry] != module || counts[entry] <= 0) {
                return 0;
            }
            if (--counts[entry] > 0) {
                return counts[entry];
            }
        }
        if (lastUse != nullptr) {
            lastUse(context);
        }
        const Guard guard(lock);
        modules[entry] = nullptr; // free for reuse
        return 0;
    }

private:
    // The entry holding `module`, else a freed one or a new one, now holding it.
    int Claim(HMODULE module) {
        const Guard guard(lock);
        int entry = Find(module);
        if (entry < 0) {
            entry = Find(nullptr);
        }
        if (entry < 0) {
            if (used == kMaxLibraries) {
                return -1;
            }
            entry = used++;
        }
        if (modules[entry] != module) {
            modules[entry] = module;
            counts[entry] = 0;
        }
        return entry;
    }

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
    CRITICAL_SECTION entryLocks[kMaxLibraries];
};

// Created when the component's module is loaded and deleted when it is unloaded.
LibraryUseTable table;

} // namespace

LONG AcquireLibraryUse(HMODULE module, LibraryUseAction firstUse, void* context) {
    return table.Acquire(module, firstUse, context);
}

LONG ReleaseLibraryUse(HMODULE module, LibraryUseAction lastUse, void* context) {
    return table.Release(module, lastUse, context);
}
