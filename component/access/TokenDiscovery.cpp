// Counting tokens, choosing a driver library automatically and choosing the one token
// an operation works on. How a driver counts is its family's (Pkcs11Family.cpp,
// HlFamily.cpp); the hl_* card reading is here with the hl_* count it serves.
#include "component/access/CTokenAccess.h"
#include "component/access/HlCardReader.h"
#include "component/access/LibraryTokenCounts.h"

LONG CTokenAccess::CountTokens(TokenScope scope, Fallback fallback, Families families) {
    if (!driver) {
        return AutoDetectDriver(scope, families);
    }
    return driver->Family().CountTokens(*this, scope, fallback, families);
}

// Makes the library of `cardType` current and counts all its tokens.
LONG CTokenAccess::TryLibrary(LONG cardType) {
    UseDriver(cardType);
    return CountTokens(TokenScope::Any, Fallback::None, Families::All);
}

LONG CTokenAccess::AutoDetectDriver(TokenScope scope, Families families) {
    DropDriver();
    const bool service = scope == TokenScope::Service;
    LibraryTokenCounts counts;
    // Each library in turn; one that sees a service token is kept when a service token is
    // sought, and then answers as its own count would.
    for (const DriverEntry* entry : DriversInDetectionOrder()) {
        if (families == Families::Pkcs11Only && entry->family != DriverFamily::Pkcs11) {
            continue;
        }
        counts.Set(entry->cardType, TryLibrary(entry->cardType));
        if (service && caches.norvaTokenCount == 1) {
            return caches.ServiceCount();
        }
    }
    DropDriver();
    counts.RemoveShared();
    const LONG total = counts.Total();
    if (total != 1) {
        return total; // none, or more than one: no driver is chosen
    }
    UseDriver(counts.OnlyCardType());
    return CountTokens(scope, Fallback::None, Families::All);
}

LONG CTokenAccess::CountHlTokens(TokenScope scope, Fallback fallback) {
    if (!IsHl()) {
        return fallback == Fallback::AutoDetect ? AutoDetectDriver(scope, Families::All) : 0;
    }
    const LONG result = HlOpen() == ZTNoError ? CountInsertedCard(scope) : 0;
    if (caches.tokenCount != 0 || fallback == Fallback::None) {
        return result;
    }
    return AutoDetectDriver(scope, Families::All);
}

LONG CTokenAccess::CountInsertedCard(TokenScope scope) {
    if (HlCall(&HlTable::hl_is_media_available, driver->HlHandle()) != HL_OK) {
        caches.slotCount = 0;
        caches.tokenCount = 0;
        caches.norvaTokenCount = 0;
        caches.hlKeyLength = 0;
        return 0;
    }
    if (caches.slotCount == 0) {
        ReadInsertedCard(driver->Hl(), driver->HlHandle(), caches); // once per inserted card
    }
    if (scope == TokenScope::Any) {
        return 1;
    }
    return caches.record.UserID[0] != '\0' ? 1 : 0;
}

LONG CTokenAccess::CountForCaller(TokenScope scope) {
    LONG count = CountTokens(scope, Fallback::AutoDetect, Families::All);
    // A reader that could not describe its token may belong to another library's
    // device: forget the driver and let automatic choice look at all of them.
    if (count == 0 && driver && caches.pendrelReaderCount > 0) {
        DropDriver();
        count = CountTokens(scope, Fallback::AutoDetect, Families::All);
    }
    EndSession();
    return count;
}

TZentorError CTokenAccess::SelectToken(TokenScope scope, CK_SLOT_ID& slot, Families families) {
    const LONG count = CountTokens(scope, Fallback::None, families);
    if (count >= 2) {
        return ZTTooManyTokens; // also when automatic choice left no driver chosen
    }
    if (count <= 0 || !driver) {
        return ZTLabeledTokenNotFound;
    }
    if (scope == TokenScope::Any) {
        slot = caches.anySlot;
        return ZTNoError;
    }
    // Never the slot of a token that is not a service token.
    if (caches.norvaTokenCount <= 0) {
        return ZTNoTokenInserted;
    }
    slot = caches.serviceSlot;
    return ZTNoError;
}
