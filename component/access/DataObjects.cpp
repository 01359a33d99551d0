// Finding objects by class and label, and reading and writing the value of the
// component's own data objects (application "NorvaEFT").
#include "component/CZentor.h"

#include <algorithm>

#include "component/access/CAttributeTemplate.h"
#include "component/access/CTokenDriver.h"
#include "component/access/DriverResults.h"

namespace {

constexpr char kDataApplication[] = "NorvaEFT";
constexpr CK_ULONG kMaxMatches = 2;

// Class, token, private and label: what every search and every created object names.
void AddIdentity(CAttributeTemplate& attributes, CK_OBJECT_CLASS objectClass, BSTR label,
                 bool isPrivate) {
    attributes.AddULong(CKA_CLASS, objectClass);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddBool(CKA_PRIVATE, isPrivate);
    attributes.AddText(CKA_LABEL, label);
}

} // namespace

TZentorError CZentor::FindObject(CK_OBJECT_CLASS objectClass, BSTR label, CK_OBJECT_HANDLE& handle,
                                 bool isPrivate) {
    CAttributeTemplate attributes;
    AddIdentity(attributes, objectClass, label, isPrivate);
    if (objectClass == CKO_DATA) {
        attributes.AddText(CKA_APPLICATION, kDataApplication);
    }
    const CK_SESSION_HANDLE session = driver->session;
    CK_RV rv = driver->p11.C_FindObjectsInit(session, attributes.Build(), attributes.Count());
    Record(rv);
    TZentorError result = MapSearchFailure(SearchStage::Init);
    if (rv == CKR_OK) {
        CK_OBJECT_HANDLE found[kMaxMatches] = {};
        CK_ULONG foundCount = 0;
        rv = driver->p11.C_FindObjects(session, found, kMaxMatches, &foundCount);
        Record(rv);
        result = rv != CKR_OK ? MapSearchFailure(SearchStage::Find) : MapSearchCount(foundCount);
        if (result == ZTNoError) {
            handle = found[0];
        }
    }
    // Also after a failed start, so that no search is left active in the session.
    driver->p11.C_FindObjectsFinal(session);
    return result;
}

TZentorError CZentor::EnterDataSession(BSTR pin, bool isPrivate) {
    EndSession();
    // A service token is required; the hl_* device keeps no data objects.
    CK_SLOT_ID slot = 0;
    const TZentorError selected = SelectToken(true, slot, true);
    if (selected != ZTNoError) {
        return selected;
    }
    // A public object needs only a session, a private one a user login.
    return Login(slot, CKU_USER, pin, !isPrivate);
}

TZentorError CZentor::ReadDataObject(BSTR pin, BSTR label, CK_BYTE* buffer, CK_ULONG& length,
                                     bool isPrivate) {
    const TZentorError entered = EnterDataSession(pin, isPrivate);
    if (entered != ZTNoError) {
        return entered;
    }
    CK_OBJECT_HANDLE handle = 0;
    const TZentorError found = FindObject(CKO_DATA, label, handle, isPrivate);
    if (found != ZTNoError) {
        return found;
    }
    CAttributeTemplate value;
    value.AddBuffer(CKA_VALUE, buffer, length);
    const CK_RV rv = driver->p11.C_GetAttributeValue(driver->session, handle, value.Build(), 1);
    Record(rv);
    if (rv != CKR_OK) {
        return ZTGetAttributeValueFailed;
    }
    // The driver was given `length` bytes; a larger answer is not believed.
    length = std::min(value.Item(0).ulValueLen, length);
    return ZTNoError;
}

TZentorError CZentor::WriteDataObject(BSTR pin, BSTR label, const CK_BYTE* data, CK_ULONG length,
                                      bool isPrivate) {
    const TZentorError entered = EnterDataSession(pin, isPrivate);
    if (entered != ZTNoError) {
        return entered;
    }
    // PKCS#11 templates take non-const values; the driver only reads these bytes.
    CK_BYTE* const value = const_cast<CK_BYTE*>(data);
    CK_OBJECT_HANDLE handle = 0;
    const TZentorError found = FindObject(CKO_DATA, label, handle, isPrivate);
    if (found == ZTNoError) {
        CAttributeTemplate update;
        update.AddBuffer(CKA_VALUE, value, length);
        const CK_RV rv =
            driver->p11.C_SetAttributeValue(driver->session, handle, update.Build(), 1);
        Record(rv);
        return rv == CKR_OK ? ZTNoError : ZTSetAttributeValueFailed;
    }
    if (found != ZTDataItemNotFound) {
        return ZTFindDataItemFailed; // two matches included: only "not found" creates
    }
    CAttributeTemplate object;
    AddIdentity(object, CKO_DATA, label, isPrivate);
    object.AddText(CKA_APPLICATION, kDataApplication);
    object.AddBuffer(CKA_VALUE, value, length);
    const CK_RV rv =
        driver->p11.C_CreateObject(driver->session, object.Build(), object.Count(), &handle);
    Record(rv);
    return rv == CKR_OK ? ZTNoError : ZTCreateObjectFailed;
}
