// The token counts that automatic driver choice gathers, one per library. A token can be
// reachable through more than one library (the device library and a PKCS#11 library
// for the same card, or both PKCS#11 libraries for one token), so the counts overlap.
#pragma once

#include <array>
#include <initializer_list>

#include "component/access/DriverTable.h"
#include "platform/WinApi.h"

class LibraryTokenCounts {
public:
    LibraryTokenCounts() = default;
    // Counts in detection order (DriversInDetectionOrder), for tests of the rules below.
    LibraryTokenCounts(std::initializer_list<LONG> inDetectionOrder);

    void Set(LONG cardType, LONG count);
    LONG Of(LONG cardType) const;

    // Takes the tokens a library shares with an earlier one (in detection order) out of
    // its count: each later library's count loses an earlier one's when it is at least
    // as large.
    void RemoveShared();

    LONG Total() const;

    // The card type of the first library, in detection order, whose count is 1; the last
    // library's when none is. Meaningful when the total is 1.
    LONG OnlyCardType() const;

private:
    std::array<LONG, kDriverCount> counts = {}; // in detection order
};
