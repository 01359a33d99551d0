// Reaches the token-access operations of a CZentor, which are private to the object.
#pragma once

#include "component/CZentor.h"
#include "component/access/CTokenDriver.h"

class CZentorTestAccess {
public:
    explicit CZentorTestAccess(CZentor& zentor) : zentor(zentor) {}

    LONG CountTokens(bool norvaOnly, bool autoDetect, bool skipHl) {
        return zentor.CountTokens(norvaOnly, autoDetect, skipHl);
    }
    TZentorError SelectToken(bool norvaOnly, CK_SLOT_ID& slot, bool skipHl) {
        return zentor.SelectToken(norvaOnly, slot, skipHl);
    }
    TZentorError LoginToToken(CK_USER_TYPE userType, BSTR pin, bool sessionOnly) {
        return zentor.LoginToToken(userType, pin, sessionOnly);
    }
    TZentorError OpenSession(CK_SLOT_ID slot) { return zentor.OpenSession(slot); }
    TZentorError HlOpen() { return zentor.HlOpen(); }
    void EndSession() { zentor.EndSession(); }
    TZentorError FindObject(CK_OBJECT_CLASS objectClass, BSTR label, CK_OBJECT_HANDLE& handle,
                            bool isPrivate) {
        return zentor.FindObject(objectClass, label, handle, isPrivate);
    }
    TZentorError ReadDataObject(BSTR pin, BSTR label, CK_BYTE* buffer, CK_ULONG& length,
                                bool isPrivate) {
        return zentor.ReadDataObject(pin, label, buffer, length, isPrivate);
    }
    TZentorError WriteDataObject(BSTR pin, BSTR label, const CK_BYTE* data, CK_ULONG length,
                                 bool isPrivate) {
        return zentor.WriteDataObject(pin, label, data, length, isPrivate);
    }

    CTokenDriver* Driver() { return zentor.driver.get(); }
    TPKCS11Error Pkcs11Error() const { return zentor.PKCS11Error; }
    void SetPkcs11Error(TPKCS11Error value) { zentor.PKCS11Error = value; }

private:
    CZentor& zentor;
};
