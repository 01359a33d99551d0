// The vendor hl_* device functions, declared once for the component (which resolves
// them by name) and for the device simulator (which exports them).
//
// Calling convention: WINAPI, that is __stdcall on 32-bit Windows and the platform's
// plain C convention elsewhere. The Windows library exports them undecorated
// ("hl_on", not "_hl_on@12"), so GetProcAddress finds them by their plain names.
// Handles, counts, flags and results are 32-bit signed integers; buffers are passed
// by address; PIN texts are NUL-terminated single-byte texts, already converted to the
// device's keyboard code page by the caller. Every function returns 0 on success.
#pragma once

#include <cstdint>

#include "platform/WinApi.h"

// Results the device reports; the component tells only 0 and HL_PIN_EXPIRED apart.
enum : int32_t {
    HL_OK = 0,
    HL_ERR_NOT_SUPPORTED = 84,
    HL_ERR_BAD_HANDLE = 0xA001,
    HL_ERR_NO_MEDIA = 0xA002,
    HL_ERR_BAD_ARGUMENT = 0xA003,
    HL_ERR_BUFFER_TOO_SMALL = 0xA004,
    HL_ERR_NOT_LOGGED_ON = 0xA005,
    HL_ERR_NO_KEY = 0xA006,
    HL_ERR_BAD_ALGORITHM = 0xA007,
    HL_ERR_BAD_CONTEXT = 0xA008,
    HL_ERR_DATA_TOO_LONG = 0xA009,
    HL_ERR_DEVICE = 0xA00A,
    HL_ERR_BAD_SIGNATURE = 0xA00B,
    HL_ERR_WRONG_PIN = 0xA040,
    HL_ERR_PIN_LOCKED = 0xA041,
    HL_ERR_BAD_NEW_PIN = 0xA042,
    HL_PIN_EXPIRED = 0xA044, // 41028
};

// Fixed sizes of the device's data blocks.
enum : int32_t {
    HL_USER_DATA_SIZE = 100,
    HL_SPECIAL_USER_DATA_SIZE = 109,
    HL_PUBLIC_KEY_RECORD_SIZE = 196,
    HL_PUBLIC_KEY_MAX_BYTES = 192,
    HL_HASH_DETAILS_SIZE = 80,
    HL_HASH_CONTEXT_SIZE = 264,
};

// Holder data (hl_get_user_data, 100 bytes): texts are NUL-terminated within their
// width; numbers are 32-bit integers in the machine's byte order.
struct HlUserData {
    char userId[32];      // byte 0
    char lastName[40];    // byte 32
    int32_t keyLength;    // byte 72: key length in bytes; 0 when the device has no key
    int32_t second;       // byte 76
    int32_t minute;       // byte 80
    int32_t hour;         // byte 84
    int32_t day;          // byte 88
    int32_t month;        // byte 92: as the device stores it
    int32_t yearFrom1900; // byte 96
};
static_assert(sizeof(HlUserData) == HL_USER_DATA_SIZE);

// Special holder data (hl_get_special_user_data, 109 bytes).
struct HlSpecialUserData {
    char reserved[50];  // byte 0
    char firstName[22]; // byte 50
    char company[37];   // byte 72
};
static_assert(sizeof(HlSpecialUserData) == HL_SPECIAL_USER_DATA_SIZE);

// Public-key record (hl_get_public_key): the big-endian modulus; the public exponent
// is always 65537.
struct HlPublicKeyRecord {
    int32_t byteCount;
    uint8_t bytes[HL_PUBLIC_KEY_MAX_BYTES];
};
static_assert(sizeof(HlPublicKeyRecord) == HL_PUBLIC_KEY_RECORD_SIZE);

// Hash description record (hl_get_hash_alg_details); the caller sets `size` to 80.
struct HlHashDetails {
    int32_t size;         // byte 0
    int32_t algorithm;    // byte 4
    int32_t blockSize;    // byte 8
    int32_t digestLength; // byte 12
    char name[64];        // byte 16
};
static_assert(sizeof(HlHashDetails) == HL_HASH_DETAILS_SIZE);

// Hash algorithms of hl_init_hash and hl_get_hash_alg_details.
enum : int32_t { HL_HASH_SHA1 = 1, HL_HASH_SHA256 = 2 };

extern "C" {
int32_t WINAPI hl_off(int32_t handle);
int32_t WINAPI hl_on(int32_t* handle, int32_t mode, int32_t reserved);
int32_t WINAPI hl_logon(int32_t handle, const char* pin);
int32_t WINAPI hl_is_media_available(int32_t handle);
int32_t WINAPI hl_get_media_state(int32_t handle, int32_t* present, int32_t* loggedOn,
                                  int32_t reserved);
int32_t WINAPI hl_get_user_data(int32_t handle, void* userData);
int32_t WINAPI hl_get_special_user_data(int32_t handle, void* data, int32_t* size,
                                        int32_t reserved);
int32_t WINAPI hl_remaining_pwd_attempts(int32_t handle, int32_t* attempts);
int32_t WINAPI hl_logoff(int32_t handle);
int32_t WINAPI hl_change_def_int_param(int32_t handle, int32_t param, int32_t value);
int32_t WINAPI hl_verify_signature(int32_t handle, const void* data, int32_t dataLength,
                                   const void* signature, int32_t signatureLength, int32_t padding,
                                   int32_t reserved);
int32_t WINAPI hl_init_hash(int32_t handle, int32_t algorithm, void* context);
int32_t WINAPI hl_cont_hash(void* context, const void* data, int32_t length);
int32_t WINAPI hl_end_hash(void* context, void* digest);
int32_t WINAPI hl_get_hash_alg_details(int32_t handle, int32_t algorithm, void* details);
int32_t WINAPI hl_RSA_decrypt(int32_t handle, const void* input, void* output, int32_t reserved);
int32_t WINAPI hl_change_password(int32_t handle, const char* oldPin, const char* newPin);
int32_t WINAPI hl_get_public_key(int32_t handle, void* record);
int32_t WINAPI hl_sign(int32_t handle, const void* data, int32_t length, void* signature,
                       int32_t reserved, int32_t padding);
}

typedef int32_t(WINAPI* PFN_hl_off)(int32_t);
typedef int32_t(WINAPI* PFN_hl_on)(int32_t*, int32_t, int32_t);
typedef int32_t(WINAPI* PFN_hl_logon)(int32_t, const char*);
typedef int32_t(WINAPI* PFN_hl_is_media_available)(int32_t);
typedef int32_t(WINAPI* PFN_hl_get_media_state)(int32_t, int32_t*, int32_t*, int32_t);
typedef int32_t(WINAPI* PFN_hl_get_user_data)(int32_t, void*);
typedef int32_t(WINAPI* PFN_hl_get_special_user_data)(int32_t, void*, int32_t*, int32_t);
typedef int32_t(WINAPI* PFN_hl_remaining_pwd_attempts)(int32_t, int32_t*);
typedef int32_t(WINAPI* PFN_hl_logoff)(int32_t);
typedef int32_t(WINAPI* PFN_hl_change_def_int_param)(int32_t, int32_t, int32_t);
typedef int32_t(WINAPI* PFN_hl_verify_signature)(int32_t, const void*, int32_t, const void*,
                                                 int32_t, int32_t, int32_t);
typedef int32_t(WINAPI* PFN_hl_init_hash)(int32_t, int32_t, void*);
typedef int32_t(WINAPI* PFN_hl_cont_hash)(void*, const void*, int32_t);
typedef int32_t(WINAPI* PFN_hl_end_hash)(void*, void*);
typedef int32_t(WINAPI* PFN_hl_get_hash_alg_details)(int32_t, int32_t, void*);
typedef int32_t(WINAPI* PFN_hl_RSA_decrypt)(int32_t, const void*, void*, int32_t);
typedef int32_t(WINAPI* PFN_hl_change_password)(int32_t, const char*, const char*);
typedef int32_t(WINAPI* PFN_hl_get_public_key)(int32_t, void*);
typedef int32_t(WINAPI* PFN_hl_sign)(int32_t, const void*, int32_t, void*, int32_t, int32_t);

// The 19 names in the order of the driver's hl_* entry-point table.
inline constexpr int kHlFunctionCount = 19;
inline constexpr const char* kHlFunctionNames[kHlFunctionCount] = {
    "hl_off",
    "hl_on",
    "hl_logon",
    "hl_is_media_available",
    "hl_get_media_state",
    "hl_get_user_data",
    "hl_get_special_user_data",
    "hl_remaining_pwd_attempts",
    "hl_logoff",
    "hl_change_def_int_param",
    "hl_verify_signature",
    "hl_init_hash",
    "hl_cont_hash",
    "hl_end_hash",
    "hl_get_hash_alg_details",
    "hl_RSA_decrypt",
    "hl_change_password",
    "hl_get_public_key",
    "hl_sign",
};
