// Counting tokens, choosing a driver library automatically and choosing the one token
// an operation works on. How a driver counts is its family's (Pkcs11Family.cpp,
// HlFamily.cpp).
#include "component/access/CTokenAccess.h"
#include "component/access/LibraryTokenCounts.h"

LONG CTokenAccess::CountTokens(TokenScope scope, Fallback fallback, Families families) {
    if (!driver) {
        return AutoDetectDriver(scope, families);
    }
    if (families == Families::Pkcs11Only && driver->Family() != DriverFamily::Pkcs11) {
        return 0;
    }
    const LONG count = driver->CountTokens(scope);
    if (driver->Caches().tokenCount == 0 && fallback == Fallback::AutoDetect) {
        return AutoDetectDriver(scope, families);
    }
    return count;
}

// Makes the library of `cardType` current and counts all its tokens.
LONG CTokenAccess::TryLibrary(LONG cardType) {
    UseDriver(cardType);
    return CountTokens(TokenScope::Any, Fallback::None, Families::All);
}

LONG CTokenAccess::AutoDetectDriver(TokenScope scope, Families families) {
    UseDriver(0);
    const bool service = scope == TokenScope::Service;
    LibraryTokenCounts counts;
    // Each library in turn; one that sees a service token is kept when a service token is
    // sought, and then answers as its own count would.
    for (const DriverEntry* entry : DriversInDetectionOrder()) {
        if (families == Families::Pkcs11Only && entry->family != DriverFamily::Pkcs11) {
            continue;
        }
        counts.Set(entry->cardType, TryLibrary(entry->cardType));
        if (service && driver->Caches().norvaTokenCount == 1) {
            return driver->Caches().ServiceCount();
        }
    }
    UseDriver(0);
    counts.RemoveShared();
    const LONG total = counts.Total();
    if (total != 1) {
        return total; // none, or more than one: no driver is chosen
    }
    UseDriver(counts.OnlyCardType());
    return CountTokens(scope, Fallback::None, Families::All);
}

LONG CTokenAccess::CountForCaller(TokenScope scope) {
    const CSessionScope session(*this);
    LONG count = CountTokens(scope, Fallback::AutoDetect, Families::All);
    // A reader that could not describe its token may belong to another library's
    // device: forget the driver and let automatic choice look at all of them.
    if (count == 0 && driver && driver->Caches().pendrelReaderCount > 0) {
        UseDriver(0);
        count = CountTokens(scope, Fallback::AutoDetect, Families::All);
    }
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
    const TokenCaches& caches = driver->Caches();
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
