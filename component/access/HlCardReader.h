// Reading a newly inserted hl_* card: its holder data, special holder data and public
// key, from which the driver's copy of the holder record is filled.
#pragma once

#include <cstdint>

struct HlTable;
struct TokenCaches;
struct UserRecord;
struct HlUserData;
struct HlSpecialUserData;

// Marks the card as read and, when both data blocks and the key can be read and the
// card holds a key, fills the record cache and counts the card as a service token.
void ReadInsertedCard(HlTable& hl, int32_t handle, TokenCaches& caches);

// The holder record as the card's two data blocks describe it; PINState and UserCode
// stay empty.
void FillRecordFromHl(UserRecord& record, const HlUserData& user, const HlSpecialUserData& special);
