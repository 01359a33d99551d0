#include "testing/tokensim/Entries.h"

#include "testing/tokensim/Attributes.h"
#include "testing/tokensim/Operations.h"
#include "testing/tokensim/SessionAccess.h"

namespace tokensim::entry {
namespace {

using sim::TCallArgs;

std::string Num(unsigned long value) {
    return std::to_string(value);
}

std::string Hex(const void* data, CK_ULONG length) {
    return data ? sim::ToHex(static_cast<const uint8_t*>(data), length) : "null";
}

std::string Mech(CK_MECHANISM_PTR mechanism) {
    return mechanism ? MechanismName(mechanism->mechanism) : "null";
}

// Each attribute as NAME=value; an attribute without a value shows the room offered.
TCallArgs WithTemplate(TCallArgs args, CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
    args.emplace_back("count", Num(count));
    for (CK_ULONG i = 0; attributes && i < count; ++i) {
        const CK_ATTRIBUTE& a = attributes[i];
        const auto* bytes = static_cast<const uint8_t*>(a.pValue);
        args.emplace_back(AttributeName(a.type),
                          bytes ? ValueToLog(a.type, Bytes(bytes, bytes + a.ulValueLen))
                                : "?" + Num(a.ulValueLen));
    }
    return args;
}

// The room the caller offers for an output, or "query" for a length question.
std::string Room(CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    if (!outLength)
        return "null";
    return out ? Num(*outLength) : "query";
}

CK_RV Unsupported(const char* function, TCallArgs args = {}) {
    return Dispatch(function, std::move(args), [](CCall&) { return CKR_FUNCTION_NOT_SUPPORTED; });
}

CK_RV CheckInitArgs(const CK_C_INITIALIZE_ARGS* args) {
    if (!args)
        return CKR_OK;
    if (args->pReserved)
        return CKR_ARGUMENTS_BAD;
    const int callbacks =
        !!args->CreateMutex + !!args->DestroyMutex + !!args->LockMutex + !!args->UnlockMutex;
    return callbacks == 0 || callbacks == 4 ? CKR_OK : CKR_ARGUMENTS_BAD;
}

} // namespace

CK_RV Initialize(void* args) {
    const auto* init = static_cast<const CK_C_INITIALIZE_ARGS*>(args);
    TCallArgs log = {{"flags", init ? Num(init->flags) : "null"}};
    return Dispatch(
        "C_Initialize", log,
        [&](CCall& call) {
            if (const CK_RV rv = CheckInitArgs(init))
                return rv;
            if (call.runtime.initialized)
                return static_cast<CK_RV>(CKR_CRYPTOKI_ALREADY_INITIALIZED);
            call.runtime.initialized = true;
            return static_cast<CK_RV>(CKR_OK);
        },
        TNeedsInit::No);
}

CK_RV Finalize(void* reserved) {
    return Dispatch("C_Finalize", {}, [&](CCall& call) {
        if (reserved)
            return static_cast<CK_RV>(CKR_ARGUMENTS_BAD);
        call.runtime.initialized = false;
        call.runtime.sessions.clear();
        call.runtime.logins.clear();
        return static_cast<CK_RV>(CKR_OK);
    });
}

CK_RV GetInfo(CK_INFO_PTR info) {
    return Dispatch("C_GetInfo", {}, [&](CCall& call) { return tokensim::GetInfo(call, info); });
}

CK_RV GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    return Dispatch(
        "C_GetFunctionList", {},
        [&](CCall&) {
            if (!list)
                return static_cast<CK_RV>(CKR_ARGUMENTS_BAD);
            *list = FunctionList();
            return static_cast<CK_RV>(CKR_OK);
        },
        TNeedsInit::No);
}

CK_RV GetSlotList(CK_BBOOL present, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) {
    TCallArgs log = {{"tokenPresent", Num(present)},
                     {"room", list && count ? Num(*count) : "query"}};
    const CK_ULONG room = list && count ? *count : 0;
    const CK_RV rv = Dispatch("C_GetSlotList", log, [&](CCall& call) {
        return tokensim::GetSlotList(call, present, list, count);
    });
    const CK_ULONG overstated = OverstatedLength("C_GetSlotList");
    if (rv == CKR_OK && room > 0 && overstated > 0) {
        for (CK_ULONG i = *count; i < room; ++i) {
            list[i] = 1000 + i; // no such slot
        }
        *count = overstated;
    }
    return rv;
}

CK_RV GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info) {
    return Dispatch("C_GetSlotInfo", {{"slot", Num(slot)}},
                    [&](CCall& call) { return tokensim::GetSlotInfo(call, slot, info); });
}

CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info) {
    return Dispatch("C_GetTokenInfo", {{"slot", Num(slot)}},
                    [&](CCall& call) { return tokensim::GetTokenInfo(call, slot, info); });
}

CK_RV GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count) {
    return Dispatch("C_GetMechanismList", {{"slot", Num(slot)}}, [&](CCall& call) {
        return tokensim::GetMechanismList(call, slot, list, count);
    });
}

CK_RV GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info) {
    TCallArgs log = {{"slot", Num(slot)}, {"mechanism", MechanismName(type)}};
    return Dispatch("C_GetMechanismInfo", log, [&](CCall& call) {
        return tokensim::GetMechanismInfo(call, slot, type, info);
    });
}

CK_RV InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length, CK_UTF8CHAR_PTR label) {
    TCallArgs log = {{"slot", Num(slot)}, {"pin", Hex(pin, length)}};
    return Dispatch("C_InitToken", log, [&](CCall& call) {
        return tokensim::InitToken(call, slot, pin, length, label);
    });
}

CK_RV InitPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    TCallArgs log = {{"session", Num(h)}, {"pin", Hex(pin, length)}};
    return Dispatch("C_InitPIN", log,
                    [&](CCall& call) { return tokensim::InitPIN(call, h, pin, length); });
}

CK_RV SetPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
             CK_UTF8CHAR_PTR newPin, CK_ULONG newLength) {
    TCallArgs log = {{"session", Num(h)},
                     {"oldPin", Hex(oldPin, oldLength)},
                     {"newPin", Hex(newPin, newLength)}};
    return Dispatch("C_SetPIN", log, [&](CCall& call) {
        return tokensim::SetPIN(call, h, oldPin, oldLength, newPin, newLength);
    });
}

CK_RV OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, void*, CK_NOTIFY, CK_SESSION_HANDLE_PTR h) {
    TCallArgs log = {{"slot", Num(slot)}, {"flags", Num(flags)}};
    return Dispatch("C_OpenSession", log,
                    [&](CCall& call) { return tokensim::OpenSession(call, slot, flags, h); });
}

CK_RV CloseSession(CK_SESSION_HANDLE h) {
    return Dispatch("C_CloseSession", {{"session", Num(h)}},
                    [&](CCall& call) { return CloseOneSession(call, h); });
}

CK_RV CloseAllSessions(CK_SLOT_ID slot) {
    return Dispatch("C_CloseAllSessions", {{"slot", Num(slot)}},
                    [&](CCall& call) { return tokensim::CloseAllSessions(call, slot); });
}

CK_RV GetSessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info) {
    return Dispatch("C_GetSessionInfo", {{"session", Num(h)}},
                    [&](CCall& call) { return tokensim::GetSessionInfo(call, h, info); });
}

CK_RV GetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_GetOperationState", {{"session", Num(h)}});
}

CK_RV SetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_OBJECT_HANDLE,
                        CK_OBJECT_HANDLE) {
    return Unsupported("C_SetOperationState", {{"session", Num(h)}});
}

CK_RV Login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    TCallArgs log = {{"session", Num(h)}, {"user", Num(user)}, {"pin", Hex(pin, length)}};
    return Dispatch("C_Login", log,
                    [&](CCall& call) { return tokensim::Login(call, h, user, pin, length); });
}

CK_RV Logout(CK_SESSION_HANDLE h) {
    return Dispatch("C_Logout", {{"session", Num(h)}},
                    [&](CCall& call) { return tokensim::Logout(call, h); });
}

CK_RV CreateObject(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count,
                   CK_OBJECT_HANDLE_PTR object) {
    return Dispatch(
        "C_CreateObject", WithTemplate({{"session", Num(h)}}, attributes, count),
        [&](CCall& call) { return tokensim::CreateObject(call, h, attributes, count, object); });
}

CK_RV CopyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR, CK_ULONG,
                 CK_OBJECT_HANDLE_PTR) {
    return Unsupported("C_CopyObject", {{"session", Num(h)}, {"object", Num(object)}});
}

CK_RV DestroyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object) {
    return Dispatch("C_DestroyObject", {{"session", Num(h)}, {"object", Num(object)}},
                    [&](CCall& call) { return tokensim::DestroyObject(call, h, object); });
}

CK_RV GetObjectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ULONG_PTR size) {
    return Dispatch("C_GetObjectSize", {{"session", Num(h)}, {"object", Num(object)}},
                    [&](CCall& call) { return tokensim::GetObjectSize(call, h, object, size); });
}

CK_RV GetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes,
                        CK_ULONG count) {
    TCallArgs log = {{"session", Num(h)}, {"object", Num(object)}, {"count", Num(count)}};
    for (CK_ULONG i = 0; attributes && i < count; ++i)
        log.emplace_back(AttributeName(attributes[i].type),
                         attributes[i].pValue ? "room:" + Num(attributes[i].ulValueLen) : "query");
    const CK_RV rv = Dispatch("C_GetAttributeValue", log, [&](CCall& call) {
        return tokensim::GetAttributeValue(call, h, object, attributes, count);
    });
    const CK_ULONG overstated = OverstatedLength("C_GetAttributeValue");
    for (CK_ULONG i = 0; rv == CKR_OK && overstated > 0 && i < count; ++i) {
        if (attributes[i].pValue) {
            attributes[i].ulValueLen = overstated;
        }
    }
    return rv;
}

CK_RV SetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes,
                        CK_ULONG count) {
    TCallArgs log = WithTemplate({{"session", Num(h)}, {"object", Num(object)}}, attributes, count);
    return Dispatch("C_SetAttributeValue", log, [&](CCall& call) {
        return tokensim::SetAttributeValue(call, h, object, attributes, count);
    });
}

CK_RV FindObjectsInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
    return Dispatch(
        "C_FindObjectsInit", WithTemplate({{"session", Num(h)}}, attributes, count),
        [&](CCall& call) { return tokensim::FindObjectsInit(call, h, attributes, count); });
}

CK_RV FindObjects(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR objects, CK_ULONG maxCount,
                  CK_ULONG_PTR count) {
    return Dispatch(
        "C_FindObjects", {{"session", Num(h)}, {"max", Num(maxCount)}},
        [&](CCall& call) { return tokensim::FindObjects(call, h, objects, maxCount, count); });
}

CK_RV FindObjectsFinal(CK_SESSION_HANDLE h) {
    return Dispatch("C_FindObjectsFinal", {{"session", Num(h)}},
                    [&](CCall& call) { return tokensim::FindObjectsFinal(call, h); });
}

namespace {

CK_RV Init(const char* function, TOperation kind, CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism,
           CK_OBJECT_HANDLE key) {
    TCallArgs log = {{"session", Num(h)}, {"mechanism", Mech(mechanism)}, {"key", Num(key)}};
    return Dispatch(function, log,
                    [&](CCall& call) { return OperationInit(call, kind, h, mechanism, key); });
}

CK_RV Run(const char* function, TOperation kind, CK_SESSION_HANDLE h, CK_BYTE_PTR data,
          CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    TCallArgs log = {
        {"session", Num(h)}, {"data", Hex(data, length)}, {"room", Room(out, outLength)}};
    return Dispatch(function, log, [&](CCall& call) {
        const CK_RV rv = OperationRun(call, kind, h, data, length, out, outLength);
        if (outLength)
            call.Arg("length", *outLength);
        return rv;
    });
}

CK_RV Update(const char* function, TOperation kind, CK_SESSION_HANDLE h, CK_BYTE_PTR data,
             CK_ULONG length) {
    return Dispatch(function, {{"session", Num(h)}, {"data", Hex(data, length)}},
                    [&](CCall& call) { return OperationUpdate(call, kind, h, data, length); });
}

CK_RV Final(const char* function, TOperation kind, CK_SESSION_HANDLE h, CK_BYTE_PTR out,
            CK_ULONG_PTR outLength) {
    return Dispatch(function, {{"session", Num(h)}, {"room", Room(out, outLength)}},
                    [&](CCall& call) { return OperationFinal(call, kind, h, out, outLength); });
}

} // namespace

CK_RV EncryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Init("C_EncryptInit", TOperation::Encrypt, h, mechanism, key);
}
CK_RV Encrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
              CK_ULONG_PTR outLength) {
    return Run("C_Encrypt", TOperation::Encrypt, h, data, length, out, outLength);
}
CK_RV EncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR,
                    CK_ULONG_PTR) {
    return Update("C_EncryptUpdate", TOperation::Encrypt, h, data, length);
}
CK_RV EncryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return Final("C_EncryptFinal", TOperation::Encrypt, h, out, outLength);
}
CK_RV DecryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Init("C_DecryptInit", TOperation::Decrypt, h, mechanism, key);
}
CK_RV Decrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
              CK_ULONG_PTR outLength) {
    return Run("C_Decrypt", TOperation::Decrypt, h, data, length, out, outLength);
}
CK_RV DecryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR,
                    CK_ULONG_PTR) {
    return Update("C_DecryptUpdate", TOperation::Decrypt, h, data, length);
}
CK_RV DecryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return Final("C_DecryptFinal", TOperation::Decrypt, h, out, outLength);
}
CK_RV DigestInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism) {
    return Init("C_DigestInit", TOperation::Digest, h, mechanism, 0);
}
CK_RV Digest(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
             CK_ULONG_PTR outLength) {
    return Run("C_Digest", TOperation::Digest, h, data, length, out, outLength);
}
CK_RV DigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return Update("C_DigestUpdate", TOperation::Digest, h, data, length);
}
CK_RV DigestKey(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE key) {
    return Unsupported("C_DigestKey", {{"session", Num(h)}, {"key", Num(key)}});
}
CK_RV DigestFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return Final("C_DigestFinal", TOperation::Digest, h, out, outLength);
}
CK_RV SignInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Init("C_SignInit", TOperation::Sign, h, mechanism, key);
}
CK_RV Sign(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
           CK_ULONG_PTR outLength) {
    return Run("C_Sign", TOperation::Sign, h, data, length, out, outLength);
}
CK_RV SignUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return Update("C_SignUpdate", TOperation::Sign, h, data, length);
}
CK_RV SignFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return Final("C_SignFinal", TOperation::Sign, h, out, outLength);
}
CK_RV SignRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Unsupported("C_SignRecoverInit",
                       {{"session", Num(h)}, {"mechanism", Mech(mechanism)}, {"key", Num(key)}});
}
CK_RV SignRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_SignRecover", {{"session", Num(h)}});
}
CK_RV VerifyInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Init("C_VerifyInit", TOperation::Verify, h, mechanism, key);
}
CK_RV Verify(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR signature,
             CK_ULONG signatureLength) {
    TCallArgs log = {{"session", Num(h)},
                     {"data", Hex(data, length)},
                     {"signature", Hex(signature, signatureLength)}};
    return Dispatch("C_Verify", log, [&](CCall& call) {
        return tokensim::Verify(call, h, data, length, signature, signatureLength);
    });
}
CK_RV VerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return Update("C_VerifyUpdate", TOperation::Verify, h, data, length);
}
CK_RV VerifyFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR signature, CK_ULONG signatureLength) {
    TCallArgs log = {{"session", Num(h)}, {"signature", Hex(signature, signatureLength)}};
    return Dispatch("C_VerifyFinal", log, [&](CCall& call) {
        return tokensim::VerifyFinal(call, h, signature, signatureLength);
    });
}
CK_RV VerifyRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return Unsupported("C_VerifyRecoverInit",
                       {{"session", Num(h)}, {"mechanism", Mech(mechanism)}, {"key", Num(key)}});
}
CK_RV VerifyRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_VerifyRecover", {{"session", Num(h)}});
}
CK_RV DigestEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_DigestEncryptUpdate", {{"session", Num(h)}});
}
CK_RV DecryptDigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_DecryptDigestUpdate", {{"session", Num(h)}});
}
CK_RV SignEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_SignEncryptUpdate", {{"session", Num(h)}});
}
CK_RV DecryptVerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR, CK_ULONG, CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_DecryptVerifyUpdate", {{"session", Num(h)}});
}
CK_RV GenerateKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_ATTRIBUTE_PTR, CK_ULONG,
                  CK_OBJECT_HANDLE_PTR) {
    return Unsupported("C_GenerateKey", {{"session", Num(h)}, {"mechanism", Mech(mechanism)}});
}

CK_RV GenerateKeyPair(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism,
                      CK_ATTRIBUTE_PTR publicTemplate, CK_ULONG publicCount,
                      CK_ATTRIBUTE_PTR privateTemplate, CK_ULONG privateCount,
                      CK_OBJECT_HANDLE_PTR publicKey, CK_OBJECT_HANDLE_PTR privateKey) {
    TCallArgs log =
        WithTemplate({{"session", Num(h)}, {"mechanism", Mech(mechanism)}, {"half", "public"}},
                     publicTemplate, publicCount);
    log.emplace_back("half", "private");
    log = WithTemplate(log, privateTemplate, privateCount);
    return Dispatch("C_GenerateKeyPair", log, [&](CCall& call) {
        return tokensim::GenerateKeyPair(call, h, mechanism, publicTemplate, publicCount,
                                         privateTemplate, privateCount, publicKey, privateKey);
    });
}

CK_RV WrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE, CK_OBJECT_HANDLE,
              CK_BYTE_PTR, CK_ULONG_PTR) {
    return Unsupported("C_WrapKey", {{"session", Num(h)}, {"mechanism", Mech(mechanism)}});
}
CK_RV UnwrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE, CK_BYTE_PTR,
                CK_ULONG, CK_ATTRIBUTE_PTR, CK_ULONG, CK_OBJECT_HANDLE_PTR) {
    return Unsupported("C_UnwrapKey", {{"session", Num(h)}, {"mechanism", Mech(mechanism)}});
}
CK_RV DeriveKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE, CK_ATTRIBUTE_PTR,
                CK_ULONG, CK_OBJECT_HANDLE_PTR) {
    return Unsupported("C_DeriveKey", {{"session", Num(h)}, {"mechanism", Mech(mechanism)}});
}
CK_RV SeedRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR seed, CK_ULONG length) {
    return Dispatch("C_SeedRandom", {{"session", Num(h)}, {"seed", Hex(seed, length)}},
                    [&](CCall& call) {
                        CSession* session = nullptr;
                        CToken* token = nullptr;
                        return GetSession(call, h, session, token);
                    });
}
CK_RV GenerateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return Dispatch("C_GenerateRandom", {{"session", Num(h)}, {"length", Num(length)}},
                    [&](CCall& call) { return tokensim::GenerateRandom(call, h, data, length); });
}
CK_RV GetFunctionStatus(CK_SESSION_HANDLE h) {
    return Dispatch("C_GetFunctionStatus", {{"session", Num(h)}},
                    [](CCall&) { return static_cast<CK_RV>(CKR_FUNCTION_NOT_PARALLEL); });
}
CK_RV CancelFunction(CK_SESSION_HANDLE h) {
    return Dispatch("C_CancelFunction", {{"session", Num(h)}},
                    [](CCall&) { return static_cast<CK_RV>(CKR_FUNCTION_NOT_PARALLEL); });
}

// Slot events are not simulated: a non-blocking wait sees none, a blocking one is refused.
CK_RV WaitForSlotEvent(CK_FLAGS flags, CK_SLOT_ID_PTR, void*) {
    return Dispatch("C_WaitForSlotEvent", {{"flags", Num(flags)}}, [&](CCall&) {
        return static_cast<CK_RV>((flags & CKF_DONT_BLOCK) ? CKR_NO_EVENT
                                                           : CKR_FUNCTION_NOT_SUPPORTED);
    });
}

CK_FUNCTION_LIST* FunctionList() {
    static CK_FUNCTION_LIST list = {
        {2, 40},
        Initialize,
        Finalize,
        GetInfo,
        GetFunctionList,
        GetSlotList,
        GetSlotInfo,
        GetTokenInfo,
        GetMechanismList,
        GetMechanismInfo,
        InitToken,
        InitPIN,
        SetPIN,
        OpenSession,
        CloseSession,
        CloseAllSessions,
        GetSessionInfo,
        GetOperationState,
        SetOperationState,
        Login,
        Logout,
        CreateObject,
        CopyObject,
        DestroyObject,
        GetObjectSize,
        GetAttributeValue,
        SetAttributeValue,
        FindObjectsInit,
        FindObjects,
        FindObjectsFinal,
        EncryptInit,
        Encrypt,
        EncryptUpdate,
        EncryptFinal,
        DecryptInit,
        Decrypt,
        DecryptUpdate,
        DecryptFinal,
        DigestInit,
        Digest,
        DigestUpdate,
        DigestKey,
        DigestFinal,
        SignInit,
        Sign,
        SignUpdate,
        SignFinal,
        SignRecoverInit,
        SignRecover,
        VerifyInit,
        Verify,
        VerifyUpdate,
        VerifyFinal,
        VerifyRecoverInit,
        VerifyRecover,
        DigestEncryptUpdate,
        DecryptDigestUpdate,
        SignEncryptUpdate,
        DecryptVerifyUpdate,
        GenerateKey,
        GenerateKeyPair,
        WrapKey,
        UnwrapKey,
        DeriveKey,
        SeedRandom,
        GenerateRandom,
        GetFunctionStatus,
        CancelFunction,
        WaitForSlotEvent,
    };
    return &list;
}

} // namespace tokensim::entry
