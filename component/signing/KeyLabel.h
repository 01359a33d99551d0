// The label, in CKA_LABEL and CKA_ID, of both halves of the token's one key pair.
#pragma once

#include "platform/WinApi.h"

inline constexpr OLECHAR kSigningKeyLabel[] = OLESTR("NORVA PKCS#11 KEY");
