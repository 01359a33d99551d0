#include "component/admin/HolderRecord.h"

#include <algorithm>
#include <cstring>

#include "component/access/AnsiText.h"
#include "component/access/CTokenAccess.h"
#include "component/access/DriverResults.h"
#include "component/access/TokenLabels.h"
#include "platform/OwnedBstr.h"

namespace {

constexpr char kRecordLabel[] = "NorvaEFTUserData";

OwnedBstr RecordLabel() {
    return OwnedBstr(ToBstr(kRecordLabel, CP_ACP));
}

char* FieldBytes(UserRecord& record, RecordField field) {
    return reinterpret_cast<char*>(&record) + field.offset;
}

const char* FieldBytes(const UserRecord& record, RecordField field) {
    return reinterpret_cast<const char*>(&record) + field.offset;
}

// Reads the token's record into the cache; the cache is changed only by a whole read.
TZentorError ReadIntoCache(CTokenAccess& access) {
    UserRecord stored = {};
    CK_ULONG length = kUserRecordSize;
    const OwnedBstr label = RecordLabel();
    const TZentorError result = access.ReadDataObject(
        nullptr, label.Get(), reinterpret_cast<CK_BYTE*>(&stored), length, Visibility::Public);
    if (result == ZTNoError) {
        access.Driver().KeepRecord(stored); // a shorter value leaves zero bytes after it
    }
    return result;
}

} // namespace

TZentorError ReadUserRecord(CTokenAccess& access, UserRecord& record) {
    record = {};
    CK_SLOT_ID slot = 0;
    const TZentorError selected = access.SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError) {
        return selected;
    }
    TZentorError result = ZTNoError;
    const CTokenDriver& driver = access.Driver();
    if (!driver.DataComesWithCard() && driver.Caches().record.UserID[0] == '\0') {
        result = ReadIntoCache(access);
    }
    record = driver.Caches().record;
    return result;
}

TZentorError ReadUserRecordForUpdate(CTokenAccess& access, UserRecord& record) {
    const TZentorError result = ReadUserRecord(access, record);
    return result == ZTDataItemNotFound ? ZTNoError : MapStoreSearchFailure(result);
}

TZentorError WriteUserRecord(CTokenAccess& access, const UserRecord& record) {
    CK_SLOT_ID slot = 0;
    const TZentorError selected = access.SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError || access.Driver().DataComesWithCard()) {
        return selected;
    }
    UserRecord value = record;
    const OwnedBstr label = RecordLabel();
    const TZentorError result =
        access.WriteDataObject(nullptr, label.Get(), reinterpret_cast<const CK_BYTE*>(&value),
                               kUserRecordSize, Visibility::Public);
    // The token is the truth: after a refused write the next read asks it again.
    access.Driver().KeepRecord(result == ZTNoError ? record : UserRecord{});
    return result;
}

std::string FieldText(const UserRecord& record, RecordField field) {
    const char* bytes = FieldBytes(record, field);
    const size_t length = std::find(bytes, bytes + field.width, '\0') - bytes;
    return std::string(TrimBlanks(std::string_view(bytes, length)));
}

void SetFieldText(UserRecord& record, RecordField field, std::string_view ansi) {
    char* bytes = FieldBytes(record, field);
    const size_t kept = std::min(ansi.size(), field.width - 1);
    std::memset(bytes, 0, field.width);
    std::memcpy(bytes, ansi.data(), kept);
}
