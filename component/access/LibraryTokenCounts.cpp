#include "component/access/LibraryTokenCounts.h"

#include <algorithm>
#include <numeric>

namespace {

void RemoveFrom(LONG& count, LONG shared) {
    if (shared > 0 && count >= shared) {
        count -= shared;
    }
}

size_t PositionOf(LONG cardType) {
    const auto order = DriversInDetectionOrder();
    const auto found = std::find_if(order.begin(), order.end(), [&](const DriverEntry* entry) {
        return entry->cardType == cardType;
    });
    return static_cast<size_t>(found - order.begin());
}

} // namespace

LibraryTokenCounts::LibraryTokenCounts(std::initializer_list<LONG> inDetectionOrder) {
    std::copy_n(inDetectionOrder.begin(), std::min(inDetectionOrder.size(), kDriverCount),
                counts.begin());
}

void LibraryTokenCounts::Set(LONG cardType, LONG count) {
    const size_t position = PositionOf(cardType);
    if (position < kDriverCount) {
        counts[position] = count;
    }
}

LONG LibraryTokenCounts::Of(LONG cardType) const {
    const size_t position = PositionOf(cardType);
    return position < kDriverCount ? counts[position] : 0;
}

void LibraryTokenCounts::RemoveShared() {
    for (size_t later = 1; later < kDriverCount; ++later) {
        for (size_t earlier = 0; earlier < later; ++earlier) {
            RemoveFrom(counts[later], counts[earlier]);
        }
    }
}

LONG LibraryTokenCounts::Total() const {
    return std::accumulate(counts.begin(), counts.end(), LONG{0});
}

LONG LibraryTokenCounts::OnlyCardType() const {
    const auto order = DriversInDetectionOrder();
    for (size_t i = 0; i < kDriverCount; ++i) {
        if (counts[i] == 1) {
            return order[i]->cardType;
        }
    }
    return order[kDriverCount - 1]->cardType;
}
