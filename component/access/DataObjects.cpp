// Finding objects by class and label, and reading and writing the value of the
// component's own data objects (application "NorvaEFT").
#include <algorithm>

#include "component/access/CAttributeTemplate.h"
#include "component/access/CTokenAccess.h"
#include "component/access/DriverResults.h"
#include "component/access/TokenLock.h"

namespace {

constexpr char kDataApplication[] = "NorvaEFT";
constexpr CK_ULONG kMaxMatches = 2;

// Class, token, private and label: what every search and every created object names.
void AddIdentity(CAttributeTemplate& attributes, CK_OBJECT_CLASS objectClass, BSTR label,
                 Visibility visibility) {
    attributes.AddULong(CKA_CLASS, objectClass);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddBool(CKA_PRIVATE, visibility == Visibility::Private);
    attributes.AddText(CKA_LABEL, label);
}

// What a search names: the identity, and for data objects the component's application.
void AddSearch(CAttributeTemplate& attributes, CK_OBJECT_CLASS objectClass, BSTR label,
               Visibility visibility) {
    AddIdentity(attributes, objectClass, label, visibility);
    if (objectClass == CKO_DATA) {
        attributes.AddText(CKA_APPLICATION, kDataApplication);
    }
}

LoginDepth DepthFor(Visibility visibility) {
    // A public object needs only a session, a private one a user login.
    return visibility == Visibility::Private ? LoginDepth::User : LoginDepth::SessionOnly;
}

} // namespace

TZentorError CTokenAccess::FindObject(CK_OBJECT_CLASS objectClass, BSTR label,
                                      CK_OBJECT_HANDLE& handle, Visibility visibility) {
    CAttributeTemplate attributes;
    AddSearch(attributes, objectClass, label, visibility);
    CK_RV rv = driver->Call(&Pkcs11Table::C_FindObjectsInit, driver->Session(), attributes.Build(),
                            attributes.Count());
    TZentorError result = MapSearchFailure(SearchStage::Init);
    if (rv == CKR_OK) {
        CK_OBJECT_HANDLE found[kMaxMatches] = {};
        CK_ULONG foundCount = 0;
        rv = driver->Call(&Pkcs11Table::C_FindObjects, driver->Session(), found, kMaxMatches,
                          &foundCount);
        result = rv != CKR_OK ? MapSearchFailure(SearchStage::Find) : MapSearchCount(foundCount);
        if (result == ZTNoError) {
            handle = found[0];
        }
    }
    // Also after a failed start, so that no search is left active in the session.
    driver->CallUnrecorded(&Pkcs11Table::C_FindObjectsFinal, driver->Session());
    return result;
}

TZentorError CTokenAccess::EnterDataSession(BSTR pin, Visibility visibility) {
    EndSession(); // the data session starts from none, and is left open for the caller
    // A service token is required; the hl_* device keeps no data objects.
    CK_SLOT_ID slot = 0;
    const TZentorError selected = SelectToken(TokenScope::Service, slot, Families::Pkcs11Only);
    if (selected != ZTNoError) {
        return selected;
    }
    return driver->LogIn(slot, CKU_USER, pin, DepthFor(visibility));
}

TZentorError CTokenAccess::ReadDataObject(BSTR pin, BSTR label, CK_BYTE* buffer, CK_ULONG& length,
                                          Visibility visibility) {
    const TZentorError entered = EnterDataSession(pin, visibility);
    if (entered != ZTNoError) {
        return entered;
    }
    CK_OBJECT_HANDLE handle = 0;
    const TZentorError found = FindObject(CKO_DATA, label, handle, visibility);
    if (found != ZTNoError) {
        return found;
    }
    CAttributeTemplate value;
    value.AddBuffer(CKA_VALUE, buffer, length);
    const CK_RV rv = driver->Call(&Pkcs11Table::C_GetAttributeValue, driver->Session(), handle,
                                  value.Build(), CK_ULONG{1});
    if (rv != CKR_OK) {
        return ZTGetAttributeValueFailed;
    }
    // The driver was given `length` bytes; a larger answer is not believed.
    length = std::min(value.Item(0).ulValueLen, length);
    return ZTNoError;
}

TZentorError CTokenAccess::WriteDataObject(BSTR pin, BSTR label, const CK_BYTE* data,
                                           CK_ULONG length, Visibility visibility) {
    const TZentorError entered = EnterDataSession(pin, visibility);
    if (entered != ZTNoError) {
        return entered;
    }
    // PKCS#11 templates take non-const values; the driver only reads these bytes.
    CK_BYTE* const value = const_cast<CK_BYTE*>(data);
    // Another process (each host request is one) may be storing the object at this moment:
    // the search and the creation run under the token's lock, so that of two writers of a
    // token without the object one creates it and the other then finds it.
    const TokenCaches& caches = driver->Caches();
    const CTokenLock lock(std::string_view(caches.serviceSerial, sizeof caches.serviceSerial));
    CK_OBJECT_HANDLE handle = 0;
    const TZentorError found = FindObject(CKO_DATA, label, handle, visibility);
    if (found == ZTNoError) {
        CAttributeTemplate update;
        update.AddBuffer(CKA_VALUE, value, length);
        const CK_RV rv = driver->Call(&Pkcs11Table::C_SetAttributeValue, driver->Session(), handle,
                                      update.Build(), CK_ULONG{1});
        return rv == CKR_OK ? ZTNoError : ZTSetAttributeValueFailed;
    }
    if (found != ZTDataItemNotFound) {
        return MapStoreSearchFailure(found);
    }
    CAttributeTemplate object;
    AddIdentity(object, CKO_DATA, label, visibility);
    object.AddText(CKA_APPLICATION, kDataApplication);
    object.AddBuffer(CKA_VALUE, value, length);
    const CK_RV rv = driver->Call(&Pkcs11Table::C_CreateObject, driver->Session(), object.Build(),
                                  object.Count(), &handle);
    if (rv != CKR_OK) {
        return ZTCreateObjectFailed;
    }
    return ZTNoError;
}
