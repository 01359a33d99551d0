// Fetching and storing the holder record of the service token, with the driver's copy
// of it (the record cache) in front of the token.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "component/base/ZentorErrors.h"
#include "component/access/UserRecord.h"

class CTokenAccess;

// Fills `record` (with zero bytes at least, also on failure). A PKCS#11 token is read
// only while the cache's UserID is empty; the hl_* device's record is the one read from
// the card when it was inserted.
TZentorError ReadUserRecord(CTokenAccess& access, UserRecord& record);

// ReadUserRecord before some fields are changed and the whole record is written back.
// ZTNoError also when the token holds no record yet (the record then starts as zero
// bytes). Any other code means the record could not be read, and writing the blank copy
// back would wipe the fields that were not meant to change, so the caller writes nothing;
// the code is then what the write would have reported after the same search (two records
// or a failed search: ZTFindDataItemFailed). A record found whose value could not be read
// stays ZTGetAttributeValueFailed: there the write would have succeeded by wiping it.
TZentorError ReadUserRecordForUpdate(CTokenAccess& access, UserRecord& record);

// Stores `record` on the one service token (on the hl_* device nothing is stored: its
// record is read-only). The cache keeps the record only when the token took it, so a
// refused write is never reported afterwards as the token's content.
TZentorError WriteUserRecord(CTokenAccess& access, const UserRecord& record);

// One text field of the record: its place and width. A field keeps at least one zero
// byte, so a put keeps at most width - 1 bytes.
struct RecordField {
    std::size_t offset;
    std::size_t width;
};

#define NORVA_RECORD_FIELD(name)                                                                   \
    RecordField {                                                                                  \
        offsetof(UserRecord, name), sizeof(UserRecord::name)                                       \
    }
inline constexpr RecordField kFirstNameField = NORVA_RECORD_FIELD(FirstName);
inline constexpr RecordField kLastNameField = NORVA_RECORD_FIELD(LastName);
inline constexpr RecordField kCompanyField = NORVA_RECORD_FIELD(Company);
inline constexpr RecordField kCreateTimeField = NORVA_RECORD_FIELD(CreateTime);
inline constexpr RecordField kUserIDField = NORVA_RECORD_FIELD(UserID);
inline constexpr RecordField kPINStateField = NORVA_RECORD_FIELD(PINState);
inline constexpr RecordField kUserCodeField = NORVA_RECORD_FIELD(UserCode);
#undef NORVA_RECORD_FIELD

// The field's text up to its first zero byte (never past its width), blanks trimmed.
std::string FieldText(const UserRecord& record, RecordField field);
// Puts `ansi` into the field, cut to width - 1 bytes, the rest zero bytes.
void SetFieldText(UserRecord& record, RecordField field, std::string_view ansi);
