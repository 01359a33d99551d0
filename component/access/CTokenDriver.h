// One loaded driver library: its entry points, the caches that token operations fill,
// and the session state. Card types 1 and 3 are PKCS#11 libraries, card type 2 the
// vendor hl_* device library. Construction never fails: a library that cannot be
// loaded leaves the driver with stubs that answer CKR_FUNCTION_NOT_SUPPORTED (84).
#pragma once

#include "component/access/DriverEntryPoints.h"
#include "component/admin/UserRecord.h"
#include "platform/WinApi.h"

inline constexpr LONG kCardTavlink = 1;
inline constexpr LONG kCardBrevo = 2;
inline constexpr LONG kCardEToken = 3;

// The library of a card type, or null for a number that names no driver.
const char* DriverLibraryName(LONG cardType);

class CTokenDriver {
public:
    CTokenDriver(const char* libraryName, LONG cardType);
    ~CTokenDriver();
    CTokenDriver(const CTokenDriver&) = delete;
    CTokenDriver& operator=(const CTokenDriver&) = delete;

    bool IsLoaded() const { return module != nullptr; }
    LONG GetCardType() const { return cardType; }
    bool IsHl() const { return cardType == kCardBrevo; }

    // The next token count rescans the slots.
    void ResetSlotCache() { slotCount = 0; }

    static LONG AcquireLibrary(HMODULE module);
    static LONG ReleaseLibrary(HMODULE module);

private:
    HMODULE module;
    LONG cardType;

public:
    // Slot-scan cache. For the hl_* family: slotCount 1 once the inserted card was read,
    // tokenCount 1 while a card is present, norvaTokenCount 1 when its holder data and
    // key were read, pendrelReaderCount 1 once a card was read.
    LONG slotCount = 0;
    LONG tokenCount = 0;
    LONG norvaTokenCount = 0;
    LONG pendrelReaderCount = 0;
    CK_SLOT_ID selectedSlot = 0;

    // hl_* family: the key length from the holder data (below 1: no key) and the key.
    LONG hlKeyLength = 0;
    HlPublicKeyRecord hlPublicKey = {};

    // Copy of the holder record; zero bytes until read.
    UserRecord record = {};

    // Session state.
    CK_SESSION_HANDLE session = 0;
    bool sessionOpen = false;
    bool loggedIn = false;
    int32_t hlHandle = -1;

    // Public key as NUL-terminated hexadecimal text; empty until read.
    char publicKey[556] = {};

    // Only the table of the driver's family is filled; the other stays empty.
    Pkcs11Table p11 = {};
    HlTable hl = {};
};
