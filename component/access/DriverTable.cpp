#include "component/access/DriverTable.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr char kPkcs11EntryPoint[] = "C_GetFunctionList";
constexpr char kHlEntryPoint[] = "hl_on";

// The device library is tried first: a card it reads may also answer through a PKCS#11
// library, and then the device library is the one to keep.
constexpr DriverEntry kDrivers[] = {
    {kCardTavlink, "tavlink.dll", DriverFamily::Pkcs11, kPkcs11EntryPoint, 2},
    {kCardBrevo, "brevo32.dll", DriverFamily::Hl, kHlEntryPoint, 1},
    {kCardEtPkcs11, "eTpkcs11.dll", DriverFamily::Pkcs11, kPkcs11EntryPoint, 3},
};

static_assert(std::size(kDrivers) == kDriverCount);

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const DriverEntry> DriverTable() {
    return kDrivers;
}

std::span<const DriverEntry* const> DriversInDetectionOrder() {
    static const auto order = [] {
        std::array<const DriverEntry*, kDriverCount> entries = {};
        for (size_t i = 0; i < entries.size(); ++i) {
            entries[i] = &kDrivers[i];
        }
        std::sort(entries.begin(), entries.end(), [](const DriverEntry* a, const DriverEntry* b) {
            return a->detectionRank < b->detectionRank;
        });
        return entries;
    }();
    return order;
}

const DriverEntry* DriverForCardType(LONG cardType) {
    for (const DriverEntry& entry : kDrivers) {
        if (entry.cardType == cardType) {
            return &entry;
        }
    }
    return nullptr;
}

const DriverEntry* DriverForLibrary(std::string_view libraryName) {
    for (const DriverEntry& entry : kDrivers) {
        if (SameLetters(entry.libraryName, libraryName)) {
            return &entry;
        }
    }
    return nullptr;
}

const char* FamilyEntryPoint(DriverFamily family) {
    for (const DriverEntry& entry : kDrivers) {
        if (entry.family == family) {
            return entry.entryPoint;
        }
    }
    return "";
}
