// The IZentor members of the key pair: generation and the public key.
#include "component/CZentor.h"
#include "component/MemberResults.h"
#include "component/NoThrow.h"
#include "component/access/AnsiText.h"
#include "component/signing/KeyPair.h"
#include "component/signing/PublicKey.h"

HRESULT CZentor::GenerateKeys(BSTR PIN, TZentorError* RetVal) {
    return ReportOperation(LastZTError, RetVal,
                           [&] { return GenerateKeyPair(access, PIN, kLongModulusBits); });
}

HRESULT CZentor::GenerateKeysCustom(BSTR PIN, BSTR KeyLength, TZentorError* RetVal) {
    return ReportOperation(LastZTError, RetVal,
                           [&] { return GenerateKeyPair(access, PIN, ModulusBitsFor(KeyLength)); });
}

HRESULT CZentor::get_PublicKey(BSTR* pVal) {
    return NoThrow([&] {
        std::string text;
        {
            const CTokenAccess::CSessionScope scope(access);
            LastZTError = ReadPublicKey(access, text);
        }
        PutText(ToBstr(text, CP_ACP), pVal);
        return S_OK;
    });
}
