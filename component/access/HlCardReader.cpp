#include "component/access/HlCardReader.h"

#include <cstddef>
#include <cstdio>

#include "component/access/DriverEntryPoints.h"
#include "component/access/TokenCaches.h"

namespace {

// Copies the zero-terminated text at `offset` of a device block into a record field,
// keeping the field's last byte zero and never reading past the block.
template <size_t Width>
void CopyText(char (&field)[Width], const void* block, size_t blockSize, size_t offset) {
    const auto* text = static_cast<const char*>(block) + offset;
    const size_t available = blockSize - offset;
    for (size_t i = 0; i + 1 < Width && i < available && text[i] != '\0'; ++i) {
        field[i] = text[i];
    }
}

bool PlausibleKeyRecord(const HlPublicKeyRecord& key) {
    return key.byteCount > 0 && key.byteCount <= HL_PUBLIC_KEY_MAX_BYTES;
}

} // namespace

void FillRecordFromHl(UserRecord& record, const HlUserData& user,
                      const HlSpecialUserData& special) {
    record = {};
    CopyText(record.UserID, &user, sizeof user, offsetof(HlUserData, userId));
    CopyText(record.LastName, &user, sizeof user, offsetof(HlUserData, lastName));
    CopyText(record.FirstName, &special, sizeof special, offsetof(HlSpecialUserData, firstName));
    CopyText(record.Company, &special, sizeof special, offsetof(HlSpecialUserData, company));
    // Device values are taken as stored; a value out of its usual range makes a longer
    // text, which is cut so that it never runs into the next field.
    char time[96] = {};
    std::snprintf(time, sizeof time, "%02d%02d%04lld%02d%02d%02d", static_cast<int>(user.day),
                  static_cast<int>(user.month), static_cast<long long>(user.yearFrom1900) + 1900,
                  static_cast<int>(user.hour), static_cast<int>(user.minute),
                  static_cast<int>(user.second));
    CopyText(record.CreateTime, time, sizeof time, 0);
}

void ReadInsertedCard(HlTable& hl, int32_t handle, TokenCaches& caches) {
    caches.slotCount = 1;
    caches.tokenCount = 1;
    caches.pendrelReaderCount = 1;
    caches.record = {};
    HlUserData user = {};
    HlSpecialUserData special = {};
    int32_t size = sizeof special;
    if (hl.hl_get_user_data(handle, &user) != HL_OK ||
        hl.hl_get_special_user_data(handle, &special, &size, 0) != HL_OK || user.keyLength <= 0) {
        return;
    }
    // A record claiming more key bytes than it can hold is treated as unreadable.
    if (hl.hl_get_public_key(handle, &caches.hlPublicKey) != HL_OK ||
        !PlausibleKeyRecord(caches.hlPublicKey)) {
        caches.hlPublicKey = {};
        return;
    }
    caches.norvaTokenCount = 1;
    caches.hlKeyLength = user.keyLength;
    FillRecordFromHl(caches.record, user, special);
}
