// The token operations behind the exported C_* functions. Each runs inside Dispatch
// (Runtime.h) with the state loaded and both locks held; arguments are as in the
// PKCS#11 functions of the same name.
#pragma once

#include "testing/tokensim/Runtime.h"

namespace tokensim {

// Slots and tokens (Slots.cpp)
CK_RV GetInfo(CCall& call, CK_INFO_PTR info);
CK_RV GetSlotList(CCall& call, CK_BBOOL tokenPresent, CK_SLOT_ID_PTR list, CK_ULONG_PTR count);
CK_RV GetSlotInfo(CCall& call, CK_SLOT_ID slot, CK_SLOT_INFO_PTR info);
CK_RV GetTokenInfo(CCall& call, CK_SLOT_ID slot, CK_TOKEN_INFO_PTR info);
CK_RV GetMechanismList(CCall& call, CK_SLOT_ID slot, CK_MECHANISM_TYPE_PTR list,
                       CK_ULONG_PTR count);
CK_RV GetMechanismInfo(CCall& call, CK_SLOT_ID slot, CK_MECHANISM_TYPE type,
                       CK_MECHANISM_INFO_PTR info);

// Token and PIN administration (Admin.cpp)
CK_RV InitToken(CCall& call, CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length,
                CK_UTF8CHAR_PTR label);
CK_RV InitPIN(CCall& call, CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR pin, CK_ULONG length);
CK_RV SetPIN(CCall& call, CK_SESSION_HANDLE handle, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLength,
             CK_UTF8CHAR_PTR newPin, CK_ULONG newLength);

// Sessions and logins (Sessions.cpp)
CK_RV OpenSession(CCall& call, CK_SLOT_ID slot, CK_FLAGS flags, CK_SESSION_HANDLE_PTR handle);
CK_RV CloseOneSession(CCall& call, CK_SESSION_HANDLE handle);
CK_RV CloseAllSessions(CCall& call, CK_SLOT_ID slot);
CK_RV GetSessionInfo(CCall& call, CK_SESSION_HANDLE handle, CK_SESSION_INFO_PTR info);
CK_RV Login(CCall& call, CK_SESSION_HANDLE handle, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin,
            CK_ULONG length);
CK_RV Logout(CCall& call, CK_SESSION_HANDLE handle);

// Objects (Objects.cpp)
CK_RV CreateObject(CCall& call, CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                   CK_ULONG count, CK_OBJECT_HANDLE_PTR object);
CK_RV DestroyObject(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object);
CK_RV GetObjectSize(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                    CK_ULONG_PTR size);
CK_RV GetAttributeValue(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
CK_RV SetAttributeValue(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE object,
                        CK_ATTRIBUTE_PTR attributes, CK_ULONG count);
CK_RV FindObjectsInit(CCall& call, CK_SESSION_HANDLE handle, CK_ATTRIBUTE_PTR attributes,
                      CK_ULONG count);
CK_RV FindObjects(CCall& call, CK_SESSION_HANDLE handle, CK_OBJECT_HANDLE_PTR objects,
                  CK_ULONG maxCount, CK_ULONG_PTR count);
CK_RV FindObjectsFinal(CCall& call, CK_SESSION_HANDLE handle);

// Keys and random numbers (Keys.cpp)
CK_RV GenerateKeyPair(CCall& call, CK_SESSION_HANDLE handle, CK_MECHANISM_PTR mechanism,
                      CK_ATTRIBUTE_PTR publicTemplate, CK_ULONG publicCount,
                      CK_ATTRIBUTE_PTR privateTemplate, CK_ULONG privateCount,
                      CK_OBJECT_HANDLE_PTR publicKey, CK_OBJECT_HANDLE_PTR privateKey);
CK_RV GenerateRandom(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR data, CK_ULONG length);

// Sign, verify, encrypt, decrypt and digest (Crypto.cpp)
enum class TOperation { Sign, Verify, Encrypt, Decrypt, Digest };
CK_RV OperationInit(CCall& call, TOperation kind, CK_SESSION_HANDLE handle,
                    CK_MECHANISM_PTR mechanism, CK_OBJECT_HANDLE key);
// Sign, Encrypt, Decrypt, Digest in one part (input, then output with the usual
// length convention).
CK_RV OperationRun(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR input,
                   CK_ULONG inputLength, CK_BYTE_PTR output, CK_ULONG_PTR outputLength);
CK_RV OperationUpdate(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR input,
                      CK_ULONG inputLength);
CK_RV OperationFinal(CCall& call, TOperation kind, CK_SESSION_HANDLE handle, CK_BYTE_PTR output,
                     CK_ULONG_PTR outputLength);
CK_RV Verify(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR data, CK_ULONG dataLength,
             CK_BYTE_PTR signature, CK_ULONG signatureLength);
CK_RV VerifyFinal(CCall& call, CK_SESSION_HANDLE handle, CK_BYTE_PTR signature,
                  CK_ULONG signatureLength);

// Copies `value` to a PKCS#11 output buffer with the two-call length convention.
CK_RV ReturnBytes(const Bytes& value, CK_BYTE_PTR output, CK_ULONG_PTR outputLength);

} // namespace tokensim
