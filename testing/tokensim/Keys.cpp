#include <initializer_list>

#include "testing/common/Crypto.h"
#include "testing/tokensim/Attributes.h"
#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {
namespace {

const Bytes kDefaultExponent = {0x01, 0x00, 0x01};

CK_RV ReadKeyTemplate(CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CObject& object) {
    if (!attributes && count)
        return CKR_ARGUMENTS_BAD;
    for (CK_ULONG i = 0; i < count; ++i) {
        const CK_ATTRIBUTE& a = attributes[i];
        if ((!a.pValue && a.ulValueLen) || !ValidLength(a.type, a.ulValueLen))
            return CKR_ATTRIBUTE_VALUE_INVALID;
        const auto* bytes = static_cast<const uint8_t*>(a.pValue);
        object.attributes.push_back({a.type, bytes ? Bytes(bytes, bytes + a.ulValueLen) : Bytes()});
    }
    return CKR_OK;
}

// Attributes a template may set but not contradict.
CK_RV CheckClass(const CObject& object, CK_OBJECT_CLASS expected) {
    if (object.Number(CKA_CLASS, expected) != expected ||
        object.Number(CKA_KEY_TYPE, CKK_RSA) != CKK_RSA)
        return CKR_TEMPLATE_INCONSISTENT;
    return CKR_OK;
}

void SetDefault(CObject& object, CK_ATTRIBUTE_TYPE type, const Bytes& value) {
    if (!object.Find(type))
        object.Set(type, value);
}

// Usage flags the template did not set are false, so that every key answers them.
void DefaultFlags(CObject& object, std::initializer_list<CK_ATTRIBUTE_TYPE> types) {
    for (CK_ATTRIBUTE_TYPE type : types)
        SetDefault(object, type, FlagBytes(false));
    SetDefault(object, CKA_MODIFIABLE, FlagBytes(true));
    SetDefault(object, CKA_LABEL, Bytes());
    SetDefault(object, CKA_ID, Bytes());
}

void CompletePublic(CObject& object, const sim::CRsaKey& key) {
    DefaultFlags(object, {CKA_ENCRYPT, CKA_VERIFY, CKA_VERIFY_RECOVER, CKA_WRAP, CKA_DERIVE});
    object.Set(CKA_CLASS, NumberBytes(CKO_PUBLIC_KEY));
    object.Set(CKA_KEY_TYPE, NumberBytes(CKK_RSA));
    object.Set(CKA_MODULUS, key.n);
    object.Set(CKA_PUBLIC_EXPONENT, key.e);
    object.Set(CKA_LOCAL, FlagBytes(true));
    object.Set(CKA_KEY_GEN_MECHANISM, NumberBytes(CKM_RSA_PKCS_KEY_PAIR_GEN));
    SetDefault(object, CKA_PRIVATE, FlagBytes(false));
}

void CompletePrivate(CObject& object, const sim::CRsaKey& key) {
    DefaultFlags(object, {CKA_DECRYPT, CKA_SIGN, CKA_SIGN_RECOVER, CKA_UNWRAP, CKA_DERIVE,
                          CKA_ALWAYS_AUTHENTICATE});
    object.Set(CKA_CLASS, NumberBytes(CKO_PRIVATE_KEY));
    object.Set(CKA_KEY_TYPE, NumberBytes(CKK_RSA));
    object.Set(CKA_MODULUS, key.n);
    object.Set(CKA_PUBLIC_EXPONENT, key.e);
    object.Set(CKA_PRIVATE_EXPONENT, key.d);
    object.Set(CKA_PRIME_1, key.p);
    object.Set(CKA_PRIME_2, key.q);
    object.Set(CKA_COEFFICIENT, key.u);
    object.Set(CKA_LOCAL, FlagBytes(true));
    object.Set(CKA_KEY_GEN_MECHANISM, NumberBytes(CKM_RSA_PKCS_KEY_PAIR_GEN));
    SetDefault(object, CKA_PRIVATE, FlagBytes(true));
    SetDefault(object, CKA_SENSITIVE, FlagBytes(true));
    SetDefault(object, CKA_EXTRACTABLE, FlagBytes(false));
    object.Set(CKA_ALWAYS_SENSITIVE, FlagBytes(object.Flag(CKA_SENSITIVE, true)));
    object.Set(CKA_NEVER_EXTRACTABLE, FlagBytes(!object.Flag(CKA_EXTRACTABLE, false)));
}

CK_RV CheckMechanism(CK_MECHANISM_PTR mechanism) {
    if (mechanism->mechanism != CKM_RSA_PKCS_KEY_PAIR_GEN)
        return CKR_MECHANISM_INVALID;
    if (mechanism->pParameter || mechanism->ulParameterLen)
        return CKR_MECHANISM_PARAM_INVALID;
    return CKR_OK;
}

} // namespace

CK_RV GenerateKeyPair(CCall& call, CK_SESSION_HANDLE handle, CK_MECHANISM_PTR mechanism,
                      CK_ATTRIBUTE_PTR publicTemplate, CK_ULONG publicCount,
                      CK_ATTRIBUTE_PTR privateTemplate, CK_ULONG privateCount,
                      CK_OBJECT_HANDLE_PTR publicKey, CK_OBJECT_HANDLE_PTR privateKey) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (!mechanism || !publicKey || !privateKey)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (const CK_RV rv = CheckMechanism(mechanism))
        return rv;
    CObject pub, priv;
    if (const CK_RV rv = ReadKeyTemplate(publicTemplate, publicCount, pub))
        return rv;
    if (const CK_RV rv = ReadKeyTemplate(privateTemplate, privateCount, priv))
        return rv;
    if (CheckClass(pub, CKO_PUBLIC_KEY) || CheckClass(priv, CKO_PRIVATE_KEY))
        return CKR_TEMPLATE_INCONSISTENT;
    SetDefault(priv, CKA_PRIVATE, FlagBytes(true));
    for (const CObject* half : {&pub, &priv})
        if (const CK_RV rv = CheckNewObject(call, *session, *token, *half))
            return rv;
    if (!pub.Find(CKA_MODULUS_BITS))
        return CKR_TEMPLATE_INCOMPLETE;
    const CK_ULONG bits = pub.Number(CKA_MODULUS_BITS, 0);
    if (bits != 1024 && bits != 2048)
        return CKR_KEY_SIZE_RANGE;
    const Bytes* exponent = pub.Find(CKA_PUBLIC_EXPONENT);
    sim::CRsaKey key;
    const auto status = sim::GenerateRsaKey(static_cast<unsigned>(bits),
                                            exponent ? *exponent : kDefaultExponent, key);
    if (status == sim::TCryptoStatus::BadLength)
        return CKR_ATTRIBUTE_VALUE_INVALID;
    if (status != sim::TCryptoStatus::Ok)
        return CKR_FUNCTION_FAILED;
    CompletePublic(pub, key);
    CompletePrivate(priv, key);
    StoreNewObject(call, *token, pub, publicKey);
    return StoreNewObject(call, *token, priv, privateKey);
}

CK_RV GenerateRandom(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR data, CK_ULONG length) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (!data && length)
        return CKR_ARGUMENTS_BAD;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    sim::RandomBytes(data, length);
    return CKR_OK;
}

} // namespace tokensim
