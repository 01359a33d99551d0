// The IZentor members of token administration: the holder's names, the PINs and
// formatting.
#include "component/CZentor.h"
#include "component/MemberResults.h"
#include "component/NoThrow.h"
#include "component/access/AnsiText.h"
#include "component/admin/Formatting.h"
#include "component/admin/HolderRecord.h"
#include "component/admin/Pins.h"
#include "component/signing/PublicKey.h"

namespace {

// A get: the field as the record read left it ("" when nothing could be read).
HRESULT GetName(CTokenAccess& access, TZentorError& last, RecordField field, BSTR* pVal) {
    return NoThrow([&] {
        const CTokenAccess::CSessionScope scope(access);
        UserRecord record = {};
        last = ReadUserRecord(access, record);
        PutText(ToBstr(FieldText(record, field), CP_ACP), pVal);
        return S_OK;
    });
}

// A put rewrites the whole record with the one field changed; a token without a record
// gets one holding just this field. A record that could not be read is not rewritten (its
// other fields would be lost): the put reports the code that its write would have given.
HRESULT PutName(CTokenAccess& access, TZentorError& last, RecordField field, BSTR value) {
    return NoThrow([&] {
        const CTokenAccess::CSessionScope scope(access);
        UserRecord record = {};
        last = ReadUserRecordForUpdate(access, record);
        if (last == ZTNoError) {
            SetFieldText(record, field, ToAnsiText(value, CP_ACP));
            last = WriteUserRecord(access, record);
        }
        return S_OK;
    });
}

} // namespace

HRESULT CZentor::get_FirstName(BSTR* pVal) {
    return GetName(access, LastZTError, kFirstNameField, pVal);
}

HRESULT CZentor::put_FirstName(BSTR newVal) {
    return PutName(access, LastZTError, kFirstNameField, newVal);
}

HRESULT CZentor::get_LastName(BSTR* pVal) {
    return GetName(access, LastZTError, kLastNameField, pVal);
}

HRESULT CZentor::put_LastName(BSTR newVal) {
    return PutName(access, LastZTError, kLastNameField, newVal);
}

HRESULT CZentor::get_Company(BSTR* pVal) {
    return GetName(access, LastZTError, kCompanyField, pVal);
}

HRESULT CZentor::put_Company(BSTR newVal) {
    return PutName(access, LastZTError, kCompanyField, newVal);
}

HRESULT CZentor::get_UserID(BSTR* pVal) {
    return GetName(access, LastZTError, kUserIDField, pVal);
}

HRESULT CZentor::put_UserID(BSTR newVal) {
    return PutName(access, LastZTError, kUserIDField, newVal);
}

HRESULT CZentor::get_UserCode(BSTR* pVal) {
    return GetName(access, LastZTError, kUserCodeField, pVal);
}

HRESULT CZentor::put_UserCode(BSTR newVal) {
    return PutName(access, LastZTError, kUserCodeField, newVal);
}

HRESULT CZentor::get_CreateTime(BSTR* pVal) {
    return GetName(access, LastZTError, kCreateTimeField, pVal);
}

HRESULT CZentor::InitPIN(BSTR NewPIN, BSTR SOPassword, TZentorError* RetVal) {
    return ReportOperation(LastZTError, RetVal,
                           [&] { return InitUserPin(access, NewPIN, SOPassword); });
}

HRESULT CZentor::ChangePIN(BSTR OldPIN, BSTR NewPIN, TZentorError* RetVal) {
    return ReportOperation(LastZTError, RetVal,
                           [&] { return ChangeUserPin(access, OldPIN, NewPIN); });
}

HRESULT CZentor::FormatToken(BSTR SOPassword, TZentorError* RetVal) {
    return ReportOperation(LastZTError, RetVal,
                           [&] { return FormatServiceToken(access, SOPassword); });
}

// Each step goes through the object's own members, as a caller would call them; the
// first failing step ends it with that step's code, leaving on the token what the steps
// before it did. The key is handed back as an empty text unless every step up to it
// succeeded.
HRESULT CZentor::FullFormatToken(BSTR NewPIN, BSTR SOPassword, BSTR UserID, BSTR FirstName,
                                 BSTR LastName, BSTR KeyLength, BSTR* pVal) {
    return NoThrow([&] {
        const CTokenAccess::CSessionScope whole(access);
        std::string key;
        TZentorError step = ZTNoError;
        FormatToken(SOPassword, &step);
        if (step == ZTNoError) {
            const CTokenAccess::CSessionScope scope(access, SessionStart::Fresh);
            step = SetUserPinAsOfficer(access, NewPIN, SOPassword);
        }
        if (step == ZTNoError) {
            GenerateKeysCustom(NewPIN, KeyLength, &step);
        }
        if (step == ZTNoError) {
            const CTokenAccess::CSessionScope scope(access);
            step = ReadPublicKey(access, key);
        }
        if (step == ZTNoError) {
            // The names are written after the key; their outcomes are not reported.
            put_UserID(UserID);
            put_FirstName(FirstName);
            put_LastName(LastName);
        }
        LastZTError = step;
        PutText(ToBstr(key, CP_ACP), pVal);
        return S_OK;
    });
}
