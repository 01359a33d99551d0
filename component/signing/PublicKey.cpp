#include "component/signing/PublicKey.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "component/access/CAttributeTemplate.h"
#include "component/access/CTokenAccess.h"
#include "component/signing/HexText.h"
#include "component/signing/KeyLabel.h"

namespace {

// The room offered for CKA_MODULUS: one byte more than is ever encoded, so that a key
// just over the limit is told apart from one that fits.
constexpr CK_ULONG kModulusRoom = kMaxPublicKeyBytes + 1;

TZentorError ReadHlPublicKey(const TokenCaches& caches, std::string& hexText) {
    if (caches.hlKeyLength < 1) {
        return ZTGetPublicKeyFailed;
    }
    const HlPublicKeyRecord& key = caches.hlPublicKey;
    const size_t count = std::clamp<size_t>(static_cast<size_t>(std::max(key.byteCount, 0)), 0,
                                            std::min(sizeof key.bytes, kMaxPublicKeyBytes));
    hexText = EncodeHexText(key.bytes, count);
    return ZTNoError;
}

TZentorError ReadModulus(CTokenAccess& access, CK_SLOT_ID slot, std::string& hexText) {
    if (access.Driver().LogIn(slot, CKU_USER, nullptr, LoginDepth::SessionOnly) != ZTNoError) {
        return ZTOpenSessionFailed;
    }
    const OwnedBstr label = KeyLabelBstr();
    CK_OBJECT_HANDLE handle = 0;
    const TZentorError found =
        access.FindObject(CKO_PUBLIC_KEY, label.Get(), handle, Visibility::Public);
    if (found != ZTNoError) {
        return found;
    }
    std::vector<CK_BYTE> modulus(kModulusRoom);
    CAttributeTemplate attribute;
    attribute.AddBuffer(CKA_MODULUS, modulus.data(), kModulusRoom);
    const CK_RV rv =
        access.Driver().Call(&Pkcs11Table::C_GetAttributeValue, access.Driver().Session(), handle,
                             attribute.Build(), CK_ULONG{1});
    if (rv != CKR_OK) {
        return ZTGetPublicKeyFailed;
    }
    // Also catches a driver that reports more bytes than it was given room for.
    const CK_ULONG length = attribute.Item(0).ulValueLen;
    if (length > kMaxPublicKeyBytes) {
        return ZTGetPublicKeyFailed;
    }
    hexText = EncodeHexText(modulus.data(), length);
    return ZTNoError;
}

} // namespace

TZentorError ReadPublicKey(CTokenAccess& access, std::string& hexText) {
    hexText.clear();
    CK_SLOT_ID slot = 0;
    const TZentorError selected = access.SelectToken(TokenScope::Service, slot, Families::All);
    if (selected != ZTNoError) {
        return selected;
    }
    CTokenDriver& driver = access.Driver();
    const TokenCaches& caches = driver.Caches();
    if (driver.DataComesWithCard()) {
        return ReadHlPublicKey(caches, hexText); // the device's key came with its card
    }
    if (caches.publicKey[0] != '\0') {
        hexText = caches.publicKey;
        return ZTNoError;
    }
    const TZentorError read = ReadModulus(access, slot, hexText);
    if (read == ZTNoError) {
        driver.KeepPublicKey(hexText);
    }
    return read;
}
