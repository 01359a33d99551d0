// The token drivers the component knows, in one table: the card type that names each,
// the library file Windows loads for it, its family and the function every driver of
// that family exports. Driver loading, automatic choice, the POSIX driver mapping and
// norva-drivers all read this table; nothing else lists the drivers.
#pragma once

#include <span>
#include <string_view>

#include "platform/WinApi.h"

enum class DriverFamily {
    Pkcs11, // C_* functions through C_GetFunctionList; tokens in slots
    Hl,     // the vendor's hl_* device functions; one card in one device
};

// Card types, named after their driver files.
inline constexpr LONG kCardTavlink = 1;
inline constexpr LONG kCardBrevo = 2;
inline constexpr LONG kCardEtPkcs11 = 3;

struct DriverEntry {
    LONG cardType;
    const char* libraryName; // as the component asks for it: "tavlink.dll"
    DriverFamily family;
    const char* entryPoint; // what a library must export to be a driver of the family
    int detectionRank;      // automatic choice tries the libraries in rising rank
};

inline constexpr size_t kDriverCount = 3;

// Every driver, by rising card type.
std::span<const DriverEntry> DriverTable();
// Every driver, in the order automatic choice tries them.
std::span<const DriverEntry* const> DriversInDetectionOrder();
// The driver of a card type; null for a number that names none.
const DriverEntry* DriverForCardType(LONG cardType);
// The driver a library name stands for (any letter case, no folder); null for others.
const DriverEntry* DriverForLibrary(std::string_view libraryName);
// The function every driver of the family exports: "C_GetFunctionList" or "hl_on".
const char* FamilyEntryPoint(DriverFamily family);
