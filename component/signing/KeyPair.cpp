#include "component/signing/KeyPair.h"

#include "component/access/AnsiText.h"
#include "component/access/CAttributeTemplate.h"
#include "component/access/CTokenAccess.h"
#include "component/access/HebrewKeyboard.h"
#include "component/signing/KeyLabel.h"

namespace {

// The two templates, in the order and with the values the tokens of the service were
// always given. Neither names the class or the key type: the mechanism implies them.
void BuildPrivateTemplate(CAttributeTemplate& attributes) {
    attributes.AddText(CKA_ID, kKeyLabel);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddBool(CKA_PRIVATE, true);
    attributes.AddText(CKA_LABEL, kKeyLabel);
    attributes.AddBool(CKA_SENSITIVE, true);
    attributes.AddBool(CKA_DECRYPT, true);
    attributes.AddBool(CKA_SIGN, true);
    attributes.AddBool(CKA_SIGN_RECOVER, true);
    attributes.AddBool(CKA_UNWRAP, true);
    attributes.AddBool(CKA_EXTRACTABLE, false);
}

void BuildPublicTemplate(CAttributeTemplate& attributes, CK_ULONG modulusBits,
                         CK_BYTE (&exponent)[3]) {
    attributes.AddText(CKA_ID, kKeyLabel);
    attributes.AddBool(CKA_TOKEN, true);
    attributes.AddBool(CKA_PRIVATE, false);
    attributes.AddText(CKA_LABEL, kKeyLabel);
    attributes.AddULong(CKA_MODULUS_BITS, modulusBits);
    attributes.AddBuffer(CKA_PUBLIC_EXPONENT, exponent, sizeof exponent);
    attributes.AddBool(CKA_ENCRYPT, true);
    attributes.AddBool(CKA_VERIFY, true);
    attributes.AddBool(CKA_VERIFY_RECOVER, true);
    attributes.AddBool(CKA_WRAP, true);
}

TZentorError GenerateInSession(CTokenAccess& access, CK_ULONG modulusBits) {
    CK_BYTE exponent[3] = {0x01, 0x00, 0x01}; // 65537
    CAttributeTemplate publicHalf;
    CAttributeTemplate privateHalf;
    BuildPublicTemplate(publicHalf, modulusBits, exponent);
    BuildPrivateTemplate(privateHalf);
    CK_MECHANISM mechanism = {CKM_RSA_PKCS_KEY_PAIR_GEN, nullptr, 0};
    CK_OBJECT_HANDLE publicKey = 0;
    CK_OBJECT_HANDLE privateKey = 0;
    const CK_RV rv = access.Driver().Call(
        &Pkcs11Table::C_GenerateKeyPair, access.Driver().Session(), &mechanism, publicHalf.Build(),
        publicHalf.Count(), privateHalf.Build(), privateHalf.Count(), &publicKey, &privateKey);
    // Whatever the driver answered, a key read before may no longer be the token's.
    access.Driver().ForgetPublicKey();
    return rv == CKR_OK ? ZTNoError : ZTGenerateKeyPairFailed;
}

} // namespace

CK_ULONG ModulusBitsFor(BSTR keyLength) {
    return ToHebrewKeyboard(ToAnsiText(keyLength, CP_ACP)) == "2" ? kLongModulusBits
                                                                  : kShortModulusBits;
}

TZentorError GenerateKeyPair(CTokenAccess& access, BSTR pin, CK_ULONG modulusBits) {
    if (access.CheckTokenOnly() == TokenOnly::Refused) {
        return ZTGenerateKeyPairFailed;
    }
    const CTokenAccess::CSessionScope scope(access);
    const TZentorError result = access.LoginToToken(CKU_USER, pin, LoginDepth::User);
    return result == ZTNoError ? GenerateInSession(access, modulusBits) : result;
}
