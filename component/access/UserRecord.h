// The holder record stored on a service token as the data object "NorvaEFTUserData".
// It is a fixed 175-byte layout of zero-terminated single-byte texts in the ANSI code
// page; a text never runs into the next field, so each keeps at least one zero byte.
#pragma once

#include <cstddef>

struct UserRecord {
    char FirstName[25];  // byte 0
    char LastName[25];   // byte 25
    char Company[50];    // byte 50
    char CreateTime[15]; // byte 100: "DDMMYYYYhhmmss"
    char UserID[20];     // byte 115
    char PINState[20];   // byte 135: "000000" while the user PIN is the default one
    char UserCode[20];   // byte 155
};

inline constexpr std::size_t kUserRecordSize = 175;
static_assert(sizeof(UserRecord) == kUserRecordSize);
static_assert(offsetof(UserRecord, LastName) == 25);
static_assert(offsetof(UserRecord, Company) == 50);
static_assert(offsetof(UserRecord, CreateTime) == 100);
static_assert(offsetof(UserRecord, UserID) == 115);
static_assert(offsetof(UserRecord, PINState) == 135);
static_assert(offsetof(UserRecord, UserCode) == 155);
