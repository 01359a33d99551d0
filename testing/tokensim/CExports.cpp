// The exported PKCS#11 functions, each under its own name. The library built without
// the administration exports (tokensim_partial) leaves out CExportsAdmin.cpp.
#include "testing/tokensim/Entries.h"

extern "C" {

CK_RV C_Initialize(void* args) {
    return tokensim::entry::Initialize(args);
}
CK_RV C_Finalize(void* reserved) {
    return tokensim::entry::Finalize(reserved);
}
CK_RV C_GetInfo(CK_INFO_PTR info) {
    return tokensim::entry::GetInfo(info);
}
CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    return tokensim::entry::GetFunctionList(list);
}
CK_RV C_GetSlotList(CK_BBOOL present, CK_SLOT_ID_PTR list, CK_ULONG_PTR count) {
    return tokensim::entry::GetSlotList(present, list, count);
}
CK_RV C_GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info) {
    return tokensim::entry::GetSlotInfo(slot, info);
}
CK_RV C_GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info) {
    return tokensim::entry::GetTokenInfo(slot, info);
}
CK_RV C_GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count) {
    return tokensim::entry::GetMechanismList(slot, list, count);
}
CK_RV C_GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info) {
    return tokensim::entry::GetMechanismInfo(slot, type, info);
}
CK_RV C_SetPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
               CK_UTF8CHAR_PTR newPin, CK_ULONG newLength) {
    return tokensim::entry::SetPIN(h, oldPin, oldLength, newPin, newLength);
}
CK_RV C_OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, void* application, CK_NOTIFY notify,
                    CK_SESSION_HANDLE_PTR h) {
    return tokensim::entry::OpenSession(slot, flags, application, notify, h);
}
CK_RV C_CloseSession(CK_SESSION_HANDLE h) {
    return tokensim::entry::CloseSession(h);
}
CK_RV C_CloseAllSessions(CK_SLOT_ID slot) {
    return tokensim::entry::CloseAllSessions(slot);
}
CK_RV C_GetSessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info) {
    return tokensim::entry::GetSessionInfo(h, info);
}
CK_RV C_GetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR state, CK_ULONG_PTR length) {
    return tokensim::entry::GetOperationState(h, state, length);
}
CK_RV C_SetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR state, CK_ULONG length,
                          CK_OBJECT_HANDLE encryptionKey, CK_OBJECT_HANDLE authenticationKey) {
    return tokensim::entry::SetOperationState(h, state, length, encryptionKey, authenticationKey);
}
CK_RV C_Login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    return tokensim::entry::Login(h, user, pin, length);
}
CK_RV C_Logout(CK_SESSION_HANDLE h) {
    return tokensim::entry::Logout(h);
}
CK_RV C_CreateObject(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count,
                     CK_OBJECT_HANDLE_PTR object) {
    return tokensim::entry::CreateObject(h, attributes, count, object);
}
CK_RV C_CopyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes,
                   CK_ULONG count, CK_OBJECT_HANDLE_PTR copy) {
    return tokensim::entry::CopyObject(h, object, attributes, count, copy);
}
CK_RV C_DestroyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object) {
    return tokensim::entry::DestroyObject(h, object);
}
CK_RV C_GetObjectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ULONG_PTR size) {
    return tokensim::entry::GetObjectSize(h, object, size);
}
CK_RV C_GetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes,
                          CK_ULONG count) {
    return tokensim::entry::GetAttributeValue(h, object, attributes, count);
}
CK_RV C_SetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes,
                          CK_ULONG count) {
    return tokensim::entry::SetAttributeValue(h, object, attributes, count);
}
CK_RV C_FindObjectsInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count) {
    return tokensim::entry::FindObjectsInit(h, attributes, count);
}
CK_RV C_FindObjects(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR objects, CK_ULONG maxCount,
                    CK_ULONG_PTR count) {
    return tokensim::entry::FindObjects(h, objects, maxCount, count);
}
CK_RV C_FindObjectsFinal(CK_SESSION_HANDLE h) {
    return tokensim::entry::FindObjectsFinal(h);
}
CK_RV C_EncryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::EncryptInit(h, mechanism, key);
}
CK_RV C_Encrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                CK_ULONG_PTR outLength) {
    return tokensim::entry::Encrypt(h, data, length, out, outLength);
}
CK_RV C_EncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                      CK_ULONG_PTR outLength) {
    return tokensim::entry::EncryptUpdate(h, data, length, out, outLength);
}
CK_RV C_EncryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return tokensim::entry::EncryptFinal(h, out, outLength);
}
CK_RV C_DecryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::DecryptInit(h, mechanism, key);
}
CK_RV C_Decrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                CK_ULONG_PTR outLength) {
    return tokensim::entry::Decrypt(h, data, length, out, outLength);
}
CK_RV C_DecryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                      CK_ULONG_PTR outLength) {
    return tokensim::entry::DecryptUpdate(h, data, length, out, outLength);
}
CK_RV C_DecryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return tokensim::entry::DecryptFinal(h, out, outLength);
}
CK_RV C_DigestInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism) {
    return tokensim::entry::DigestInit(h, mechanism);
}
CK_RV C_Digest(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
               CK_ULONG_PTR outLength) {
    return tokensim::entry::Digest(h, data, length, out, outLength);
}
CK_RV C_DigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return tokensim::entry::DigestUpdate(h, data, length);
}
CK_RV C_DigestKey(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE key) {
    return tokensim::entry::DigestKey(h, key);
}
CK_RV C_DigestFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return tokensim::entry::DigestFinal(h, out, outLength);
}
CK_RV C_SignInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::SignInit(h, mechanism, key);
}
CK_RV C_Sign(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
             CK_ULONG_PTR outLength) {
    return tokensim::entry::Sign(h, data, length, out, outLength);
}
CK_RV C_SignUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return tokensim::entry::SignUpdate(h, data, length);
}
CK_RV C_SignFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return tokensim::entry::SignFinal(h, out, outLength);
}
CK_RV C_SignRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::SignRecoverInit(h, mechanism, key);
}
CK_RV C_SignRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                    CK_ULONG_PTR outLength) {
    return tokensim::entry::SignRecover(h, data, length, out, outLength);
}
CK_RV C_VerifyInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::VerifyInit(h, mechanism, key);
}
CK_RV C_Verify(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR signature,
               CK_ULONG signatureLength) {
    return tokensim::entry::Verify(h, data, length, signature, signatureLength);
}
CK_RV C_VerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return tokensim::entry::VerifyUpdate(h, data, length);
}
CK_RV C_VerifyFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR signature, CK_ULONG signatureLength) {
    return tokensim::entry::VerifyFinal(h, signature, signatureLength);
}
CK_RV C_VerifyRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key) {
    return tokensim::entry::VerifyRecoverInit(h, mechanism, key);
}
CK_RV C_VerifyRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR signature, CK_ULONG length, CK_BYTE_PTR out,
                      CK_ULONG_PTR outLength) {
    return tokensim::entry::VerifyRecover(h, signature, length, out, outLength);
}
CK_RV C_DigestEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                            CK_ULONG_PTR outLength) {
    return tokensim::entry::DigestEncryptUpdate(h, data, length, out, outLength);
}
CK_RV C_DecryptDigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                            CK_ULONG_PTR outLength) {
    return tokensim::entry::DecryptDigestUpdate(h, data, length, out, outLength);
}
CK_RV C_SignEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                          CK_ULONG_PTR outLength) {
    return tokensim::entry::SignEncryptUpdate(h, data, length, out, outLength);
}
CK_RV C_DecryptVerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out,
                            CK_ULONG_PTR outLength) {
    return tokensim::entry::DecryptVerifyUpdate(h, data, length, out, outLength);
}
CK_RV C_GenerateKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_ATTRIBUTE_PTR attributes,
                    CK_ULONG count, CK_OBJECT_HANDLE_PTR key) {
    return tokensim::entry::GenerateKey(h, mechanism, attributes, count, key);
}
CK_RV C_GenerateKeyPair(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism,
                        CK_ATTRIBUTE_PTR publicTemplate, CK_ULONG publicCount,
                        CK_ATTRIBUTE_PTR privateTemplate, CK_ULONG privateCount,
                        CK_OBJECT_HANDLE_PTR publicKey, CK_OBJECT_HANDLE_PTR privateKey) {
    return tokensim::entry::GenerateKeyPair(h, mechanism, publicTemplate, publicCount,
                                            privateTemplate, privateCount, publicKey, privateKey);
}
CK_RV C_WrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE wrappingKey,
                CK_OBJECT_HANDLE key, CK_BYTE_PTR out, CK_ULONG_PTR outLength) {
    return tokensim::entry::WrapKey(h, mechanism, wrappingKey, key, out, outLength);
}
CK_RV C_UnwrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE unwrappingKey,
                  CK_BYTE_PTR wrapped, CK_ULONG length, CK_ATTRIBUTE_PTR attributes, CK_ULONG count,
                  CK_OBJECT_HANDLE_PTR key) {
    return tokensim::entry::UnwrapKey(h, mechanism, unwrappingKey, wrapped, length, attributes,
                                      count, key);
}
CK_RV C_DeriveKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE baseKey,
                  CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR key) {
    return tokensim::entry::DeriveKey(h, mechanism, baseKey, attributes, count, key);
}
CK_RV C_SeedRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR seed, CK_ULONG length) {
    return tokensim::entry::SeedRandom(h, seed, length);
}
CK_RV C_GenerateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length) {
    return tokensim::entry::GenerateRandom(h, data, length);
}
CK_RV C_GetFunctionStatus(CK_SESSION_HANDLE h) {
    return tokensim::entry::GetFunctionStatus(h);
}
CK_RV C_CancelFunction(CK_SESSION_HANDLE h) {
    return tokensim::entry::CancelFunction(h);
}
}
