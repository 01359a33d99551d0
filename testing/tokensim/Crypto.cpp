#include "testing/common/Crypto.h"
#include "testing/tokensim/Attributes.h"
#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim {
namespace {

struct CKindRule {
    TOperation kind;
    CK_OBJECT_CLASS keyClass;
    CK_ATTRIBUTE_TYPE permission;
};

const CKindRule kKindRules[] = {
    {TOperation::Sign, CKO_PRIVATE_KEY, CKA_SIGN},
    {TOperation::Verify, CKO_PUBLIC_KEY, CKA_VERIFY},
    {TOperation::Encrypt, CKO_PUBLIC_KEY, CKA_ENCRYPT},
    {TOperation::Decrypt, CKO_PRIVATE_KEY, CKA_DECRYPT},
};

struct CDigestRow {
    CK_MECHANISM_TYPE mechanism;
    sim::TDigest algorithm;
};

const CDigestRow kDigests[] = {
    {CKM_MD5, sim::TDigest::Md5},
    {CKM_SHA_1, sim::TDigest::Sha1},
    {CKM_SHA256, sim::TDigest::Sha256},
    {CKM_SHA512, sim::TDigest::Sha512},
};

COperation& OperationOf(CSession& session, TOperation kind) {
    switch (kind) {
    case TOperation::Sign:
        return session.sign;
    case TOperation::Verify:
        return session.verify;
    case TOperation::Encrypt:
        return session.encrypt;
    case TOperation::Decrypt:
        return session.decrypt;
    case TOperation::Digest:
        break;
    }
    return session.digest;
}

const CDigestRow* DigestOf(CK_MECHANISM_TYPE mechanism) {
    for (const auto& row : kDigests)
        if (row.mechanism == mechanism)
            return &row;
    return nullptr;
}

sim::CRsaKey KeyOf(const CObject& object) {
    auto part = [&](CK_ATTRIBUTE_TYPE type) {
        const Bytes* value = object.Find(type);
        return value ? *value : Bytes();
    };
    return sim::CRsaKey{part(CKA_MODULUS), part(CKA_PUBLIC_EXPONENT), part(CKA_PRIVATE_EXPONENT),
                        part(CKA_PRIME_1), part(CKA_PRIME_2),         part(CKA_COEFFICIENT)};
}

CK_RV CheckKey(CCall& call, CToken& token, TOperation kind, CK_OBJECT_HANDLE handle) {
    const CObject* key = FindObject(token, handle);
    if (!key || !Visible(call, token, *key))
        return CKR_KEY_HANDLE_INVALID;
    for (const auto& rule : kKindRules) {
        if (rule.kind != kind)
            continue;
        if (key->Number(CKA_CLASS, CKO_DATA) != rule.keyClass ||
            key->Number(CKA_KEY_TYPE, CKK_RSA) != CKK_RSA)
            return CKR_KEY_TYPE_INCONSISTENT;
        if (!key->Flag(rule.permission, false))
            return CKR_KEY_FUNCTION_NOT_PERMITTED;
        if (rule.keyClass == CKO_PRIVATE_KEY && !UserLoggedIn(call, token.serial))
            return CKR_USER_NOT_LOGGED_IN;
    }
    return CKR_OK;
}

CK_RV MapStatus(TOperation kind, sim::TCryptoStatus status) {
    switch (status) {
    case sim::TCryptoStatus::Ok:
        return CKR_OK;
    case sim::TCryptoStatus::DataTooLong:
        return CKR_DATA_LEN_RANGE;
    case sim::TCryptoStatus::BadLength:
        return kind == TOperation::Verify ? CKR_SIGNATURE_LEN_RANGE : CKR_ENCRYPTED_DATA_LEN_RANGE;
    case sim::TCryptoStatus::BadBlock:
        return CKR_ENCRYPTED_DATA_INVALID;
    case sim::TCryptoStatus::BadSignature:
        return CKR_SIGNATURE_INVALID;
    case sim::TCryptoStatus::Failure:
        break;
    }
    return CKR_FUNCTION_FAILED;
}

// The result of the operation over `input`; the key must still be there.
CK_RV Compute(CCall& call, CToken& token, TOperation kind, const COperation& operation,
              const Bytes& input, Bytes& output) {
    if (kind == TOperation::Digest) {
        output = sim::Digest(DigestOf(operation.mechanism)->algorithm, input);
        return CKR_OK;
    }
    const CObject* key = FindObject(token, operation.key);
    if (!key || !Visible(call, token, *key))
        return CKR_KEY_HANDLE_INVALID;
    const sim::CRsaKey rsa = KeyOf(*key);
    if (kind == TOperation::Sign && call.state.emptySignatures > 0) {
        --call.state.emptySignatures;
        call.changed = true;
        output.clear();
        return CKR_OK;
    }
    if (kind == TOperation::Sign)
        return MapStatus(kind, sim::SignPkcs1(rsa, input, output));
    if (kind == TOperation::Encrypt)
        return MapStatus(kind, sim::EncryptPkcs1(rsa, input, output));
    return MapStatus(kind, sim::DecryptPkcs1(rsa, input, output));
}

CK_RV ActiveOperation(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CToken*& token,
                      COperation*& operation) {
    CSession* session = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    operation = &OperationOf(*session, kind);
    return operation->active ? CKR_OK : CKR_OPERATION_NOT_INITIALIZED;
}

// Computes and returns the output; a length query or a short buffer keeps the
// operation going, anything else ends it.
CK_RV Finish(CCall& call, TOperation kind, CToken& token, COperation& operation, const Bytes& input,
             CK_BYTE_PTR output, CK_ULONG_PTR outputLength) {
    Bytes result;
    CK_RV rv = Compute(call, token, kind, operation, input, result);
    if (rv == CKR_OK)
        rv = ReturnBytes(result, output, outputLength);
    const bool keepGoing = (rv == CKR_OK && !output) || rv == CKR_BUFFER_TOO_SMALL;
    if (!keepGoing)
        operation = COperation();
    return rv;
}

CK_RV CheckVerify(const sim::CRsaKey& key, const Bytes& data, CK_BYTE_PTR signature,
                  CK_ULONG length) {
    if (!signature && length)
        return CKR_ARGUMENTS_BAD;
    const Bytes sig = signature ? Bytes(signature, signature + length) : Bytes();
    return MapStatus(TOperation::Verify, sim::VerifyPkcs1(key, data, sig));
}

} // namespace

CK_RV ReturnBytes(const Bytes& value, CK_BYTE_PTR output, CK_ULONG_PTR outputLength) {
    if (!outputLength)
        return CKR_ARGUMENTS_BAD;
    const CK_ULONG room = *outputLength;
    *outputLength = value.size();
    if (!output)
        return CKR_OK;
    if (room < value.size())
        return CKR_BUFFER_TOO_SMALL;
    std::copy(value.begin(), value.end(), output);
    return CKR_OK;
}

CK_RV OperationInit(CCall& call, TOperation kind, CK_SESSION_HANDLE handle,
                    CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    CSession* session = nullptr;
    CToken* token = nullptr;
    if (const CK_RV rv = GetSession(call, handle, session, token))
        return rv;
    if (!mechanism)
        return CKR_ARGUMENTS_BAD;
    COperation& operation = OperationOf(*session, kind);
    if (operation.active)
        return CKR_OPERATION_ACTIVE;
    const bool digest = kind == TOperation::Digest;
    if (digest ? !DigestOf(mechanism->mechanism) : mechanism->mechanism != CKM_RSA_PKCS)
        return CKR_MECHANISM_INVALID;
    if (mechanism->pParameter || mechanism->ulParameterLen)
        return CKR_MECHANISM_PARAM_INVALID;
    if (!digest)
        if (const CK_RV rv = CheckKey(call, *token, kind, key))
            return rv;
    operation = COperation{true, mechanism->mechanism, digest ? 0 : key, {}};
    return CKR_OK;
}

CK_RV OperationRun(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR input,
                   CK_ULONG inputLength, CK_BYTE_PTR output, CK_ULONG_PTR outputLength) {
    CToken* token = nullptr;
    COperation* operation = nullptr;
    if (const CK_RV rv = ActiveOperation(call, kind, handle, token, operation))
        return rv;
    if ((!input && inputLength) || !outputLength)
        return CKR_ARGUMENTS_BAD;
    const Bytes data = input ? Bytes(input, input + inputLength) : Bytes();
    return Finish(call, kind, *token, *operation, data, output, outputLength);
}

CK_RV OperationUpdate(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR input,
                      CK_ULONG inputLength) {
    CToken* token = nullptr;
    COperation* operation = nullptr;
    if (const CK_RV rv = ActiveOperation(call, kind, handle, token, operation))
        return rv;
    if (kind == TOperation::Encrypt || kind == TOperation::Decrypt)
        return CKR_FUNCTION_NOT_SUPPORTED; // RSA works on whole blocks only
    if (!input && inputLength)
        return CKR_ARGUMENTS_BAD;
    if (input)
        operation->data.insert(operation->data.end(), input, input + inputLength);
    return CKR_OK;
}

CK_RV OperationFinal(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR output,
                     CK_ULONG_PTR outputLength) {
    CToken* token = nullptr;
    COperation* operation = nullptr;
    if (const CK_RV rv = ActiveOperation(call, kind, handle, token, operation))
        return rv;
    if (kind == TOperation::Encrypt || kind == TOperation::Decrypt)
        return CKR_FUNCTION_NOT_SUPPORTED;
    if (!outputLength)
        return CKR_ARGUMENTS_BAD;
    const Bytes data = operation->data;
    return Finish(call, kind, *token, *operation, data, output, outputLength);
}

CK_RV Verify(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR data, CK_ULONG dataLength,
             CK_BYTE_PTR signature, CK_ULONG signatureLength) {
    CToken* token = nullptr;
    COperation* operation = nullptr;
    if (const CK_RV rv = ActiveOperation(call, TOperation::Verify, handle, token, operation))
        return rv;
    const CObject* key = FindObject(*token, operation->key);
    const Bytes input = data ? Bytes(data, data + dataLength) : Bytes();
    const CK_RV rv = !key ? CKR_KEY_HANDLE_INVALID
                     : (!data && dataLength)
                         ? CKR_ARGUMENTS_BAD
                         : CheckVerify(KeyOf(*key), input, signature, signatureLength);
    *operation = COperation();
    return rv;
}

CK_RV VerifyFinal(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR signature,
                  CK_ULONG signatureLength) {
    CToken* token = nullptr;
    COperation* operation = nullptr;
    if (const CK_RV rv = ActiveOperation(call, TOperation::Verify, handle, token, operation))
        return rv;
    const CObject* key = FindObject(*token, operation->key);
    const CK_RV rv = key ? CheckVerify(KeyOf(*key), operation->data, signature, signatureLength)
                         : CKR_KEY_HANDLE_INVALID;
    *operation = COperation();
    return rv;
}

} // namespace tokensim
