// The token simulator's entry points: every function of the PKCS#11 2.x function list,
// each logging its key arguments and honouring injected faults. The exported C_*
// symbols (CExports.cpp, CExportsAdmin.cpp) and the function list both lead here.
#pragma once

#include "component/access/drivers/Pkcs11.h"

namespace tokensim::entry {

CK_FUNCTION_LIST* FunctionList();

// clang-format off
CK_RV Initialize(void* args);
CK_RV Finalize(void* reserved);
CK_RV GetInfo(CK_INFO_PTR info);
CK_RV GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list);
CK_RV GetSlotList(CK_BBOOL present, CK_SLOT_ID_PTR list, CK_ULONG_PTR count);
CK_RV GetSlotInfo(CK_SLOT_ID slot, CK_SLOT_INFO_PTR info);
CK_RV GetTokenInfo(CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info);
CK_RV GetMechanismList(CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list, CK_ULONG_PTR count);
CK_RV GetMechanismInfo(CK_SLOT_ID slot, CK_MECHANISM_TYPE type, CK_MECHANISM_INFO_PTR info);
CK_RV InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length, CK_UTF8CHAR_PTR label);
CK_RV InitPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR pin, CK_ULONG length);
CK_RV SetPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength, CK_UTF8CHAR_PTR newPin, CK_ULONG newLength);
CK_RV OpenSession(CK_SLOT_ID slot, CK_FLAGS flags, void* application, CK_NOTIFY notify, CK_SESSION_HANDLE_PTR h);
CK_RV CloseSession(CK_SESSION_HANDLE h);
CK_RV CloseAllSessions(CK_SLOT_ID slot);
CK_RV GetSessionInfo(CK_SESSION_HANDLE h, CK_SESSION_INFO_PTR info);
CK_RV GetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR state, CK_ULONG_PTR length);
CK_RV SetOperationState(CK_SESSION_HANDLE h, CK_BYTE_PTR state, CK_ULONG length, CK_OBJECT_HANDLE encryptionKey, CK_OBJECT_HANDLE authenticationKey);
CK_RV Login(CK_SESSION_HANDLE h, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG length);
CK_RV Logout(CK_SESSION_HANDLE h);
CK_RV CreateObject(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR object);
CK_RV CopyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR copy);
CK_RV DestroyObject(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object);
CK_RV GetObjectSize(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ULONG_PTR size);
CK_RV GetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
CK_RV SetAttributeValue(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
CK_RV FindObjectsInit(CK_SESSION_HANDLE h, CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
CK_RV FindObjects(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE_PTR objects, CK_ULONG maxCount, CK_ULONG_PTR count);
CK_RV FindObjectsFinal(CK_SESSION_HANDLE h);
CK_RV EncryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV Encrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV EncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV EncryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DecryptInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV Decrypt(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DecryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DecryptFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DigestInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism);
CK_RV Digest(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length);
CK_RV DigestKey(CK_SESSION_HANDLE h, CK_OBJECT_HANDLE key);
CK_RV DigestFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV SignInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV Sign(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV SignUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length);
CK_RV SignFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV SignRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV SignRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV VerifyInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV Verify(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR signature, CK_ULONG signatureLength);
CK_RV VerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length);
CK_RV VerifyFinal(CK_SESSION_HANDLE h, CK_BYTE_PTR signature, CK_ULONG signatureLength);
CK_RV VerifyRecoverInit(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
CK_RV VerifyRecover(CK_SESSION_HANDLE h, CK_BYTE_PTR signature, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DigestEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DecryptDigestUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV SignEncryptUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV DecryptVerifyUpdate(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV GenerateKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR key);
CK_RV GenerateKeyPair(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_ATTRIBUTE_PTR publicTemplate, CK_ULONG publicCount, CK_ATTRIBUTE_PTR privateTemplate, CK_ULONG privateCount, CK_OBJECT_HANDLE_PTR publicKey, CK_OBJECT_HANDLE_PTR privateKey);
CK_RV WrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE wrappingKey, CK_OBJECT_HANDLE key, CK_BYTE_PTR out, CK_ULONG_PTR outLength);
CK_RV UnwrapKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE unwrappingKey, CK_BYTE_PTR wrapped, CK_ULONG length, CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR key);
CK_RV DeriveKey(CK_SESSION_HANDLE h, CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE baseKey, CK_ATTRIBUTE_PTR attributes, CK_ULONG count, CK_OBJECT_HANDLE_PTR key);
CK_RV SeedRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR seed, CK_ULONG length);
CK_RV GenerateRandom(CK_SESSION_HANDLE h, CK_BYTE_PTR data, CK_ULONG length);
CK_RV GetFunctionStatus(CK_SESSION_HANDLE h);
CK_RV CancelFunction(CK_SESSION_HANDLE h);
CK_RV WaitForSlotEvent(CK_FLAGS flags, CK_SLOT_ID_PTR slot, void* reserved);
// clang-format on

} // namespace tokensim::entry
