#include "component/signing/PublicKey.h"

#include <cstring>

#include "component/access/CAttributeTemplate.h"
#include "component/signing/HexText.h"
#include "component/signing/KeyLabel.h"

namespace {

constexpr CK_ULONG kModulusRoom = 1000;

} // namespace

TZentorError ReadPublicKey(CTokenAccess& access, std::string& hexText) {
    CK_SLOT_ID slot = 0;
    const TZentorError selected = access.SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError) {
        return selected;
    }
    TokenCaches& caches = access.Caches();
    if (access.IsHl()) {
        const int32_t count = caches.hlPublicKey.byteCount;
        if (caches.hlKeyLength < 1 || count < 0 || count > HL_PUBLIC_KEY_MAX_BYTES) {
            return ZTGetPublicKeyFailed;
        }
        hexText = EncodeHexText(caches.hlPublicKey.bytes, static_cast<size_t>(count));
        return ZTNoError;
    }
    if (caches.publicKey[0] != '\0') {
        hexText = caches.publicKey;
        return ZTNoError;
    }
    const TZentorError opened = access.OpenSession(slot);
    if (opened != ZTNoError) {
        return opened;
    }
    const OwnedBstr label = KeyLabelBstr();
    CK_OBJECT_HANDLE key = 0;
    const TZentorError found =
        access.FindObject(CKO_PUBLIC_KEY, label.Get(), key, Visibility::Public);
    if (found != ZTNoError) {
        return found;
    }
    CK_BYTE modulus[kModulusRoom] = {};
    CAttributeTemplate value;
    value.AddBuffer(CKA_MODULUS, modulus, kModulusRoom);
    const CK_RV rv = access.Call(&Pkcs11Table::C_GetAttributeValue, access.Session(), key,
                                 value.Build(), CK_ULONG{1});
    const CK_ULONG length = value.Build()[0].ulValueLen;
    if (rv != CKR_OK || length > kModulusRoom) {
        return ZTGetPublicKeyFailed;
    }
    hexText = EncodeHexText(modulus, length);
    if (hexText.size() < kPublicKeyCacheSize) {
        std::memcpy(caches.publicKey, hexText.c_str(), hexText.size() + 1);
    }
    return ZTNoError;
}
