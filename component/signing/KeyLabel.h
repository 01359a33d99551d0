// The label of the service's RSA key pair. Both halves carry it in CKA_LABEL and CKA_ID,
// as a text attribute with its terminating zero byte (18 bytes).
#pragma once

#include <string_view>

#include "component/access/AnsiText.h"
#include "platform/OwnedBstr.h"

inline constexpr std::string_view kKeyLabel = "NORVA PKCS#11 KEY";

// The label as a BSTR, for the object searches that take one.
inline OwnedBstr KeyLabelBstr() {
    return OwnedBstr(ToBstr(kKeyLabel, CP_ACP));
}
