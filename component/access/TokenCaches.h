// What token operations learn about the token through the current driver: the slot-scan
// cache, the hl_* key details, and the copies of the holder record and the public key.
// All of it belongs to one driver and is forgotten when the driver is replaced.
#pragma once

#include "component/access/drivers/HlApi.h"
#include "component/access/drivers/Pkcs11.h"
#include "component/access/UserRecord.h"
#include "platform/WinApi.h"

// Room for the public key's hexadecimal text and its terminating zero.
inline constexpr size_t kPublicKeyCacheSize = 556;

struct TokenCaches {
    // Slot-scan cache. For the hl_* family: slotCount 1 once the inserted card was read,
    // tokenCount 1 while a card is present, norvaTokenCount 1 when its holder data and
    // key were read, pendrelReaderCount 1 once a card was read.
    LONG slotCount = 0;
    LONG tokenCount = 0;
    LONG norvaTokenCount = 0;
    LONG pendrelReaderCount = 0;
    CK_SLOT_ID anySlot = 0;     // the last slot seen holding any token
    CK_SLOT_ID serviceSlot = 0; // the last slot seen holding a service token
    // The serial number of the token in serviceSlot (PKCS#11 family), blank-padded as read.
    char serviceSerial[sizeof(CK_TOKEN_INFO::serialNumber)] = {};

    // hl_* family: the key length from the holder data (below 1: no key) and the key.
    LONG hlKeyLength = 0;
    HlPublicKeyRecord hlPublicKey = {};

    // Copy of the holder record; zero bytes until read.
    UserRecord record = {};

    // Public key as NUL-terminated hexadecimal text; empty until read.
    char publicKey[kPublicKeyCacheSize] = {};

    // The service-token count that agrees with a rescan: with more than one token
    // present it is the number of all tokens, so that no selection picks among them.
    LONG ServiceCount() const { return tokenCount > 1 ? tokenCount : norvaTokenCount; }
};
