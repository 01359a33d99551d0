// The one way into the PKCS#11 types and function declarations (p11-kit's standard
// header). Driver libraries on 32-bit Windows lay out their structures with byte
// packing; on POSIX systems they use the compiler's natural layout. The platform layer
// says which by defining NORVA_DRIVER_PACK_PUSH and NORVA_DRIVER_PACK_POP.
#pragma once

#include "platform/WinApi.h"

// Until the platform layer provides the pair, keep the natural layout here; p11-kit's
// header itself packs to 1 byte when it is compiled for Windows.
#ifndef NORVA_DRIVER_PACK_PUSH
#define NORVA_DRIVER_PACK_PUSH _Pragma("pack(push)")
#define NORVA_DRIVER_PACK_POP _Pragma("pack(pop)")
#endif

NORVA_DRIVER_PACK_PUSH
#include <p11-kit/pkcs11.h>
NORVA_DRIVER_PACK_POP
