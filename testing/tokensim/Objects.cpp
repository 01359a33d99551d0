#include <algorithm>
#include <cstring>

#include "testing/tokensim/Attributes.h"
#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {
namespace {

// Attributes that never leave a sensitive or unextractable private key.
const CK_ATTRIBUTE_TYPE kSecretParts[] = {
    CKA_PRIVATE_EXPONENT, CKA_PRIME_1,     CKA_PRIME_2, CKA_EXPONENT_1,
    CKA_EXPONENT_2,       CKA_COEFFICIENT, CKA_VALUE};

// Attributes fixed when an object is made; data objects keep CKA_VALUE changeable.
const CK_ATTRIBUTE_TYPE kFixed[] = {CKA_CLASS,
                                    CKA_TOKEN,
                                    CKA_PRIVATE,
                                    CKA_KEY_TYPE,
                                    CKA_MODULUS,
                                    CKA_MODULUS_BITS,
                                    CKA_PUBLIC_EXPONENT,
                                    CKA_PRIVATE_EXPONENT,
                                    CKA_PRIME_1,
                                    CKA_PRIME_2,
                                    CKA_EXPONENT_1,
                                    CKA_EXPONENT_2,
                                    CKA_COEFFICIENT,
                                    CKA_LOCAL,
                                    CKA_ALWAYS_SENSITIVE,
                                    CKA_NEVER_EXTRACTABLE,
                                    CKA_KEY_GEN_MECHANISM,
                                    CKA_CERTIFICATE_TYPE,
                                    CKA_MODIFIABLE};

template <size_t N> bool Contains(const CK_ATTRIBUTE_TYPE (&list)[N], CK_ATTRIBUTE_TYPE type) {
    return std::find(std::begin(list), std::end(list), type) != std::end(list);
}

bool IsSecret(const CObject& object, CK_ATTRIBUTE_TYPE type) {
    const CK_ULONG objectClass = object.Number(CKA_CLASS, CKO_DATA);
    if (objectClass != CKO_PRIVATE_KEY && objectClass != CKO_SECRET_KEY)
        return false;
    const bool hidden = object.Flag(CKA_SENSITIVE, true) || !object.Flag(CKA_EXTRACTABLE, false);
    return hidden && Contains(kSecretParts, type);
}

bool IsFixed(const CObject& object, CK_ATTRIBUTE_TYPE type) {
    if (type == CKA_VALUE)
        return object.Number(CKA_CLASS, CKO_DATA) != CKO_DATA;
    return Contains(kFixed, type);
}

// The template as attributes; values of numbers and flags must have their type's size.
CK_RV ReadTemplate(CK_ATTRIBUTE_PTR attributes, CK_ULONG count, std::vector<CAttribute>& out,
                   bool checkKinds) {
    if (!attributes && count)
        return CKR_ARGUMENTS_BAD;
    for (CK_ULONG i = 0; i < count; ++i) {
        const CK_ATTRIBUTE& a = attributes[i];
        if (!a.pValue && a.ulValueLen)
            return CKR_ATTRIBUTE_VALUE_INVALID;
        if (checkKinds && !ValidLength(a.type, a.ulValueLen))
            return CKR_ATTRIBUTE_VALUE_INVALID;
        const auto* bytes = static_cast<const uint8_t*>(a.pValue);
        out.push_back({a.type, bytes ? Bytes(bytes, bytes + a.ulValueLen) : Bytes()});
    }
    return CKR_OK;
}

CK_RV GetVisibleObject(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                       CSession*& session, CToken*& token, CObject*& found) {
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    found = FindObject(*token, object);
    if (!found || !Visible(call, *token, *found))
        return CKR_OBJECT_HANDLE_INVALID;
    return CKR_OK;
}

bool Matches(const CObject& object, const std::vector<CAttribute>& wanted) {
    for (const auto& attribute : wanted) {
        const Bytes* value = object.Find(attribute.type);
        if (!value || *value != attribute.value)
            return false;
    }
    return true;
}

CK_RV ReturnAttribute(const CObject& object, CK_ATTRIBUTE& attribute) {
    const Bytes* value = object.Find(attribute.type);
    if (IsSecret(object, attribute.type)) {
        attribute.ulValueLen = CK_UNAVAILABLE_INFORMATION;
        return CKR_ATTRIBUTE_SENSITIVE;
    }
    if (!value) {
        attribute.ulValueLen = CK_UNAVAILABLE_INFORMATION;
        return CKR_ATTRIBUTE_TYPE_INVALID;
    }
    if (!attribute.pValue) {
        attribute.ulValueLen = value->size();
        return CKR_OK;
    }
    if (attribute.ulValueLen < value->size()) {
        attribute.ulValueLen = CK_UNAVAILABLE_INFORMATION;
        return CKR_BUFFER_TOO_SMALL;
    }
    std::copy(value->begin(), value->end(), static_cast<uint8_t*>(attribute.pValue));
    attribute.ulValueLen = value->size();
    return CKR_OK;
}

int Severity(CK_RV rv) {
    return rv == CKR_ATTRIBUTE_SENSITIVE ? 3 : rv == CKR_ATTRIBUTE_TYPE_INVALID ? 2 : rv ? 1 : 0;
}

} // namespace

CK_RV StoreNewObject(CCall& call, CToken& token, CObject object, CK_OBJECT_HANDLE_PTR handle) {
    object.handle = token.nextHandle++;
    token.objects.push_back(object);
    call.changed = true;
    if (handle)
        *handle = object.handle;
    call.Arg("object", object.handle);
    return CKR_OK;
}

// Checks that the session may make an object with these attributes.
CK_RV CheckNewObject(CCall& call, const CSession& session, const CToken& token,
                     const CObject& object) {
    if (!object.Flag(CKA_TOKEN, false))
        return CKR_TEMPLATE_INCONSISTENT; // only token objects are kept
    if (!(session.flags & CKF_RW_SESSION))
        return CKR_SESSION_READ_ONLY;
    if (object.Flag(CKA_PRIVATE, false) && !UserLoggedIn(call, token.serial))
        return CKR_USER_NOT_LOGGED_IN;
    return CKR_OK;
}

CK_RV CreateObject(CCall& call, CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                   CK_ULONG count, CK_OBJECT_HANDLE_PTR object) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (!object)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    CObject created;
    if (const CK_RV rv = ReadTemplate(attributes, count, created.attributes, true))
        return rv;
    if (!created.Find(CKA_CLASS))
        return CKR_TEMPLATE_INCOMPLETE;
    if (const CK_RV rv = CheckNewObject(call, *session, *token, created))
        return rv;
    return StoreNewObject(call, *token, created, object);
}

CK_RV DestroyObject(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    CObject* found = nullptr;
    if (const CK_RV rv = GetVisibleObject(call, handle, object, session, token, found))
        return rv;
    if (!(session->flags & CKF_RW_SESSION))
        return CKR_SESSION_READ_ONLY;
    if (!found->Flag(CKA_DESTROYABLE, true))
        return CKR_ACTION_PROHIBITED;
    std::erase_if(token->objects, [&](const CObject& o) { return o.handle == object; });
    call.changed = true;
    return CKR_OK;
}

CK_RV GetObjectSize(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                    CK_ULONG_PTR size) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    CObject* found = nullptr;
    if (!size)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetVisibleObject(call, handle, object, session, token, found))
        return rv;
    *size = 0;
    for (const auto& attribute : found->attributes)
        *size += attribute.value.size();
    return CKR_OK;
}

CK_RV GetAttributeValue(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    CObject* found = nullptr;
    if (!attributes && count)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetVisibleObject(call, handle, object, session, token, found))
        return rv;
    CK_RV worst = CKR_OK;
    for (CK_ULONG i = 0; i < count; ++i) {
        const CK_RV rv = ReturnAttribute(*found, attributes[i]);
        call.Arg(AttributeName(attributes[i].type) + ".len",
                 std::to_string(static_cast<long>(attributes[i].ulValueLen)));
        if (Severity(rv) > Severity(worst))
            worst = rv;
    }
    return worst;
}

CK_RV SetAttributeValue(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    CObject* found = nullptr;
    if (const CK_RV rv = GetVisibleObject(call, handle, object, session, token, found))
        return rv;
    if (!(session->flags & CKF_RW_SESSION))
        return CKR_SESSION_READ_ONLY;
    if (!found->Flag(CKA_MODIFIABLE, true))
        return CKR_ACTION_PROHIBITED;
    std::vector<CAttribute> changes;
    if (const CK_RV rv = ReadTemplate(attributes, count, changes, true))
        return rv;
    for (const auto& change : changes)
        if (IsFixed(*found, change.type))
            return CKR_ATTRIBUTE_READ_ONLY;
    for (const auto& change : changes)
        found->Set(change.type, change.value);
    call.changed = true;
    return CKR_OK;
}

CK_RV FindObjectsInit(CCall& call, CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                      CK_ULONG count) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (session->findActive)
        return CKR_OPERATION_ACTIVE;
    std::vector<CAttribute> wanted;
    if (const CK_RV rv = ReadTemplate(attributes, count, wanted, false))
        return rv;
    session->found.clear();
    for (const auto& object : token->objects)
        if (Visible(call, *token, object) && Matches(object, wanted))
            session->found.push_back(object.handle);
    session->nextFound = 0;
    session->findActive = true;
    call.Arg("matches", session->found.size());
    return CKR_OK;
}

CK_RV FindObjects(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE_PTR objects,
                  CK_ULONG maxCount, CK_ULONG_PTR count) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (!count || (!objects && maxCount))
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!session->findActive)
        return CKR_OPERATION_NOT_INITIALIZED;
    *count = 0;
    while (*count < maxCount && session->nextFound < session->found.size())
        objects[(*count)++] = session->found[session->nextFound++];
    call.Arg("found", *count);
    return CKR_OK;
}

CK_RV FindObjectsFinal(CCall& call, CK_SESSION_HANDLE handle) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!session->findActive)
        return CKR_OPERATION_NOT_INITIALIZED;
    session->findActive = false;
    session->found.clear();
    return CKR_OK;
}

} // namespace tokensim
