#include "tests/signing/ServiceKey.h"

#include "component/access/CAttributeTemplate.h"
#include "component/signing/KeyLabel.h"

namespace {

constexpr CK_BYTE kExponent[] = {0x01, 0x00, 0x01};

// What both halves carry: the label as identifier and label, on the token.
void AddIdentity(CAttributeTemplate& half, bool isPrivate) {
    half.AddText(CKA_ID, kKeyLabel);
    half.AddBool(CKA_TOKEN, true);
    half.AddBool(CKA_PRIVATE, isPrivate);
    half.AddText(CKA_LABEL, kKeyLabel);
}

} // namespace

bool MakeServiceKey(CTokenAccess& access, BSTR pin, unsigned bits, std::vector<uint8_t>& modulus) {
    const CTokenAccess::CSessionScope scope(access);
    if (access.LoginToToken(CKU_USER, pin, LoginDepth::User) != ZTNoError) {
        return false;
    }
    CAttributeTemplate publicHalf;
    AddIdentity(publicHalf, false);
    publicHalf.AddULong(CKA_MODULUS_BITS, bits);
    publicHalf.AddBuffer(CKA_PUBLIC_EXPONENT, const_cast<CK_BYTE*>(kExponent), 3);
    publicHalf.AddBool(CKA_ENCRYPT, true);
    publicHalf.AddBool(CKA_VERIFY, true);
    CAttributeTemplate privateHalf;
    AddIdentity(privateHalf, true);
    privateHalf.AddBool(CKA_SENSITIVE, true);
    privateHalf.AddBool(CKA_DECRYPT, true);
    privateHalf.AddBool(CKA_SIGN, true);
    CK_MECHANISM generation = {CKM_RSA_PKCS_KEY_PAIR_GEN, nullptr, 0};
    CK_OBJECT_HANDLE publicHandle = 0;
    CK_OBJECT_HANDLE privateHandle = 0;
    CK_BYTE value[512] = {};
    CAttributeTemplate read;
    read.AddBuffer(CKA_MODULUS, value, sizeof(value));
    const bool made =
        access.Driver().Call(&Pkcs11Table::C_GenerateKeyPair, access.Driver().Session(),
                             &generation, publicHalf.Build(), publicHalf.Count(),
                             privateHalf.Build(), privateHalf.Count(), &publicHandle,
                             &privateHandle) == CKR_OK &&
        access.Driver().Call(&Pkcs11Table::C_GetAttributeValue, access.Driver().Session(),
                             publicHandle, read.Build(), CK_ULONG{1}) == CKR_OK &&
        read.Item(0).ulValueLen <= sizeof(value);
    if (made) {
        modulus.assign(value, value + read.Item(0).ulValueLen);
    }
    return made;
}
