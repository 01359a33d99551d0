// Counting tokens, choosing a driver library automatically and choosing the one token
// an operation works on. The slot-scan cache in the driver avoids reading slot and
// token information while the number of slots with a token stays the same.
#include "component/CZentor.h"

#include <algorithm>
#include <cstring>

#include "component/access/CTokenDriver.h"
#include "component/access/HlCardReader.h"
#include "component/access/LibraryTokenCounts.h"
#include "component/access/TokenLabels.h"

namespace {

constexpr CK_ULONG kMaxSlots = 20;
constexpr CK_FLAGS kPresentHardwareToken = CKF_HW_SLOT | CKF_TOKEN_PRESENT;

} // namespace

void CZentor::UseDriver(LONG cardType) {
    ReplaceDriver(std::make_unique<CTokenDriver>(DriverLibraryName(cardType), cardType));
}

LONG CZentor::CountTokens(bool norvaOnly, bool autoDetect, bool skipHl) {
    if (!driver) {
        return AutoDetectDriver(norvaOnly, skipHl);
    }
    if (driver->IsHl()) {
        return skipHl ? 0 : CountHlTokens(norvaOnly, autoDetect);
    }
    CK_SLOT_ID slots[kMaxSlots] = {};
    CK_ULONG count = kMaxSlots;
    const CK_RV rv = driver->p11.C_GetSlotList(CK_TRUE, slots, &count);
    Record(rv);
    if (rv != CKR_OK || count == 0) {
        driver->slotCount = 0;
        driver->tokenCount = 0;
        driver->norvaTokenCount = 0;
        return autoDetect ? AutoDetectDriver(norvaOnly, skipHl) : 0;
    }
    // A driver that claims more slots than the list holds is read only as far as the list.
    count = std::min(count, kMaxSlots);
    if (static_cast<LONG>(count) == driver->slotCount && driver->tokenCount > 0) {
        return norvaOnly ? driver->norvaTokenCount : driver->tokenCount;
    }
    driver->record = {};
    std::memset(driver->publicKey, 0, sizeof driver->publicKey);
    driver->norvaTokenCount = 0;
    driver->tokenCount = 0;
    driver->pendrelReaderCount = 0;
    driver->slotCount = static_cast<LONG>(count);
    for (CK_ULONG i = 0; i < count; ++i) {
        ScanSlot(slots[i], norvaOnly);
    }
    if (driver->tokenCount == 0 && autoDetect) {
        return AutoDetectDriver(norvaOnly, skipHl);
    }
    // With more than one token present, a count of service tokens reports all of them.
    if (!norvaOnly || driver->tokenCount > 1) {
        return driver->tokenCount;
    }
    return driver->norvaTokenCount;
}

void CZentor::ScanSlot(CK_SLOT_ID slot, bool norvaOnly) {
    CK_SLOT_INFO slotInfo = {};
    const CK_RV rv = driver->p11.C_GetSlotInfo(slot, &slotInfo);
    Record(rv);
    if (rv != CKR_OK || (slotInfo.flags & kPresentHardwareToken) != kPresentHardwareToken) {
        return;
    }
    CK_TOKEN_INFO tokenInfo = {};
    if (driver->p11.C_GetTokenInfo(slot, &tokenInfo) != CKR_OK) {
        // Some readers cannot describe the token they hold; it still counts.
        if (IsPendrelReader(slotInfo)) {
            ++driver->pendrelReaderCount;
            ++driver->tokenCount;
            if (!norvaOnly) {
                driver->selectedSlot = slot;
            }
        }
        return;
    }
    ++driver->tokenCount;
    if (!norvaOnly) {
        driver->selectedSlot = slot;
    }
    if (IsNorvaLabel(tokenInfo)) {
        ++driver->norvaTokenCount;
        if (norvaOnly) {
            driver->selectedSlot = slot;
        }
    }
}

LONG CZentor::AutoDetectDriver(bool norvaOnly, bool skipHl) {
    ReplaceDriver(nullptr);
    LibraryTokenCounts counts;
    // Each library in turn; one that holds the single service token sought is kept.
    if (!skipHl) {
        UseDriver(kCardBrevo);
        counts.brevo = CountTokens(false, false, false);
        if (norvaOnly && counts.brevo == 1 && driver->norvaTokenCount == 1) {
            return 1;
        }
    }
    UseDriver(kCardTavlink);
    counts.tavlink = CountTokens(false, false, false);
    if (norvaOnly && driver->norvaTokenCount == 1) {
        return 1;
    }
    UseDriver(kCardEToken);
    counts.eToken = CountTokens(false, false, false);
    if (norvaOnly && driver->norvaTokenCount == 1) {
        return 1;
    }
    ReplaceDriver(nullptr);
    counts.RemoveShared();
    const LONG total = counts.Total();
    if (total != 1) {
        return total; // none, or more than one: no driver is chosen
    }
    UseDriver(counts.OnlyCardType());
    return CountTokens(norvaOnly, false, false);
}

LONG CZentor::CountHlTokens(bool norvaOnly, bool autoDetect) {
    if (!driver || !driver->IsHl()) {
        return autoDetect ? AutoDetectDriver(norvaOnly, false) : 0;
    }
    const LONG result = HlOpen() == ZTNoError ? CountInsertedCard(norvaOnly) : 0;
    if (driver->tokenCount != 0 || !autoDetect) {
        return result;
    }
    return AutoDetectDriver(norvaOnly, false);
}

LONG CZentor::CountInsertedCard(bool norvaOnly) {
    if (driver->hl.hl_is_media_available(driver->hlHandle) != HL_OK) {
        driver->slotCount = 0;
        driver->tokenCount = 0;
        driver->norvaTokenCount = 0;
        driver->hlKeyLength = 0;
        return 0;
    }
    if (driver->slotCount == 0) {
        ReadInsertedCard(*driver); // read once per inserted card
    }
    if (!norvaOnly) {
        return 1;
    }
    return driver->record.UserID[0] != '\0' ? 1 : 0;
}

TZentorError CZentor::SelectToken(bool norvaOnly, CK_SLOT_ID& slot, bool skipHl) {
    const LONG count = CountTokens(norvaOnly, false, skipHl);
    if (count <= 0 || !driver) {
        return ZTLabeledTokenNotFound;
    }
    if (count >= 2) {
        return ZTTooManyTokens;
    }
    slot = driver->selectedSlot;
    if (norvaOnly && driver->norvaTokenCount <= 0) {
        return ZTNoTokenInserted;
    }
    return ZTNoError;
}
