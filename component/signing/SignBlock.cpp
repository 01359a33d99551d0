#include "component/signing/SignBlock.h"

#include "component/signing/HexText.h"
#include "component/signing/ISigningFamily.h"

TZentorError SignBlock(CTokenAccess& access, BSTR pin, std::span<const uint8_t> data,
                       std::string& hexSignature, SignStep step) {
    const TZentorError login = access.LoginToToken(CKU_USER, pin, LoginDepth::User);
    if (login != ZTNoError) {
        return login;
    }
    std::vector<uint8_t> signature;
    const TZentorError signedResult = SigningFamilyOf(access).Sign(access, data, step, signature);
    if (signedResult != ZTNoError) {
        return signedResult;
    }
    hexSignature = EncodeHexText(signature.data(), signature.size());
    return ZTNoError;
}

TZentorError DigestText(CTokenAccess& access, std::span<const uint8_t> data, size_t room,
                        std::vector<uint8_t>& digest) {
    const TZentorError session = access.LoginToToken(CKU_USER, nullptr, LoginDepth::SessionOnly);
    if (session != ZTNoError) {
        return session;
    }
    return SigningFamilyOf(access).Digest(access, data, room, digest);
}
