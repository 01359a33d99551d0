// The entry-point tables of a driver library. The PKCS#11 table is the standard
// CK_FUNCTION_LIST, filled name by name with GetProcAddress rather than through
// C_GetFunctionList, so a library that lacks a function still loads; the hl_* table
// holds the 19 vendor functions. A missing entry is replaced by a stub of the same
// type that answers CKR_FUNCTION_NOT_SUPPORTED (84).
#pragma once

#include "component/access/drivers/HlApi.h"
#include "component/access/drivers/Pkcs11.h"

// The 68 functions in the order of the PKCS#11 function list.
#define NORVA_PKCS11_FUNCTIONS(X)                                                                  \
    X(C_Initialize)                                                                                \
    X(C_Finalize)                                                                                  \
    X(C_GetInfo)                                                                                   \
    X(C_GetFunctionList)                                                                           \
    X(C_GetSlotList)                                                                               \
    X(C_GetSlotInfo)                                                                               \
    X(C_GetTokenInfo)                                                                              \
    X(C_GetMechanismList)                                                                          \
    X(C_GetMechanismInfo)                                                                          \
    X(C_InitToken)                                                                                 \
    X(C_InitPIN)                                                                                   \
    X(C_SetPIN)                                                                                    \
    X(C_OpenSession)                                                                               \
    X(C_CloseSession)                                                                              \
    X(C_CloseAllSessions)                                                                          \
    X(C_GetSessionInfo)                                                                            \
    X(C_GetOperationState)                                                                         \
    X(C_SetOperationState)                                                                         \
    X(C_Login)                                                                                     \
    X(C_Logout)                                                                                    \
    X(C_CreateObject)                                                                              \
    X(C_CopyObject)                                                                                \
    X(C_DestroyObject)                                                                             \
    X(C_GetObjectSize)                                                                             \
    X(C_GetAttributeValue)                                                                         \
    X(C_SetAttributeValue)                                                                         \
    X(C_FindObjectsInit)                                                                           \
    X(C_FindObjects)                                                                               \
    X(C_FindObjectsFinal)                                                                          \
    X(C_EncryptInit)                                                                               \
    X(C_Encrypt)                                                                                   \
    X(C_EncryptUpdate)                                                                             \
    X(C_EncryptFinal)                                                                              \
    X(C_DecryptInit)                                                                               \
    X(C_Decrypt)                                                                                   \
    X(C_DecryptUpdate)                                                                             \
    X(C_DecryptFinal)                                                                              \
    X(C_DigestInit)                                                                                \
    X(C_Digest)                                                                                    \
    X(C_DigestUpdate)                                                                              \
    X(C_DigestKey)                                                                                 \
    X(C_DigestFinal)                                                                               \
    X(C_SignInit)                                                                                  \
    X(C_Sign)                                                                                      \
    X(C_SignUpdate)                                                                                \
    X(C_SignFinal)                                                                                 \
    X(C_SignRecoverInit)                                                                           \
    X(C_SignRecover)                                                                               \
    X(C_VerifyInit)                                                                                \
    X(C_Verify)                                                                                    \
    X(C_VerifyUpdate)                                                                              \
    X(C_VerifyFinal)                                                                               \
    X(C_VerifyRecoverInit)                                                                         \
    X(C_VerifyRecover)                                                                             \
    X(C_DigestEncryptUpdate)                                                                       \
    X(C_DecryptDigestUpdate)                                                                       \
    X(C_SignEncryptUpdate)                                                                         \
    X(C_DecryptVerifyUpdate)                                                                       \
    X(C_GenerateKey)                                                                               \
    X(C_GenerateKeyPair)                                                                           \
    X(C_WrapKey)                                                                                   \
    X(C_UnwrapKey)                                                                                 \
    X(C_DeriveKey)                                                                                 \
    X(C_SeedRandom)                                                                                \
    X(C_GenerateRandom)                                                                            \
    X(C_GetFunctionStatus)                                                                         \
    X(C_CancelFunction)                                                                            \
    X(C_WaitForSlotEvent)

// The 19 vendor functions in the order of kHlFunctionNames.
#define NORVA_HL_FUNCTIONS(X)                                                                      \
    X(hl_off)                                                                                      \
    X(hl_on)                                                                                       \
    X(hl_logon)                                                                                    \
    X(hl_is_media_available)                                                                       \
    X(hl_get_media_state)                                                                          \
    X(hl_get_user_data)                                                                            \
    X(hl_get_special_user_data)                                                                    \
    X(hl_remaining_pwd_attempts)                                                                   \
    X(hl_logoff)                                                                                   \
    X(hl_change_def_int_param)                                                                     \
    X(hl_verify_signature)                                                                         \
    X(hl_init_hash)                                                                                \
    X(hl_cont_hash)                                                                                \
    X(hl_end_hash)                                                                                 \
    X(hl_get_hash_alg_details)                                                                     \
    X(hl_RSA_decrypt)                                                                              \
    X(hl_change_password)                                                                          \
    X(hl_get_public_key)                                                                           \
    X(hl_sign)

using Pkcs11Table = CK_FUNCTION_LIST;

struct HlTable {
#define NORVA_HL_MEMBER(name) PFN_##name name;
    NORVA_HL_FUNCTIONS(NORVA_HL_MEMBER)
#undef NORVA_HL_MEMBER
};

inline constexpr int kPkcs11FunctionCount = 68;
#define NORVA_COUNT_ONE(name) +1
static_assert(0 NORVA_PKCS11_FUNCTIONS(NORVA_COUNT_ONE) == kPkcs11FunctionCount);
static_assert(0 NORVA_HL_FUNCTIONS(NORVA_COUNT_ONE) == kHlFunctionCount);
#undef NORVA_COUNT_ONE

// Fills the tables. With a null module every entry becomes its stub.
void ResolvePkcs11Table(HMODULE module, Pkcs11Table& table);
void ResolveHlTable(HMODULE module, HlTable& table);
