// The IZentor members that sign: data, decrypt-and-sign, and upload files after the
// person's confirmation. Each writes LastZTError; their texts are never left null.
#include "component/CZentor.h"
#include "component/NoThrow.h"
#include "component/access/AnsiText.h"
#include "component/signing/RawData.h"
#include "component/signing/SignBlock.h"
#include "component/signing/UploadSigning.h"

namespace {

constexpr char kPinExpiredText[] = "PIN EXPIRED";

// The empty text first, so that the slot holds a text whatever happens next.
void StartText(BSTR* text) {
    if (text != nullptr) {
        *text = ToBstr("", CP_ACP);
    }
}

// The result text (ASCII: hexadecimal digits, "|" and "PIN EXPIRED") in place of the empty one.
void ReplaceText(BSTR* text, const std::string& ascii) {
    if (text == nullptr || ascii.empty()) {
        return;
    }
    BSTR empty = *text;
    *text = ToBstr(ascii, CP_ACP);
    SysFreeString(empty);
}

} // namespace

HRESULT CZentor::SignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                          BSTR* HexBinarySignedData) {
    return SignDataEx(PIN, RawData, bConvertToBinary, HexBinarySignedData, false);
}

HRESULT CZentor::DecryptAndSignData(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                                    BSTR* HexBinarySignedData) {
    return SignDataEx(PIN, RawData, bConvertToBinary, HexBinarySignedData, true);
}

HRESULT CZentor::SignDataEx(BSTR PIN, VARIANT RawData, VARIANT_BOOL bConvertToBinary,
                            BSTR* HexBinarySignedData, bool decryptFirst) {
    return NoThrow([&] {
        StartText(HexBinarySignedData);
        std::vector<uint8_t> bytes;
        TZentorError outcome = RawDataBytes(RawData, bConvertToBinary != 0, bytes);
        std::string signature;
        if (outcome == ZTNoError) {
            outcome = SignBlock(access, PIN, bytes, signature,
                                decryptFirst ? SignStep::DecryptFirst : SignStep::SignOnly);
        }
        LastZTError = outcome;
        ReplaceText(HexBinarySignedData,
                    outcome == ZTLoginPinExpired ? std::string(kPinExpiredText) : signature);
        return S_OK;
    });
}

HRESULT CZentor::SignFile(BSTR PIN, BSTR FileName, BSTR Challenge, BSTR* HexBinarySignedData) {
    return NoThrow([&] {
        StartText(HexBinarySignedData);
        const std::string name = ToAnsiText(FileName, CP_ACP);
        const auto source = UploadFileSource(name);
        const UploadSigning signing =
            SignUpload(access, *prompt, *source, PIN, name, ToAnsiText(Challenge, CP_ACP));
        SignFileCanceled = signing.canceled;
        LastZTError = signing.outcome;
        ReplaceText(HexBinarySignedData, signing.signatures);
        return S_OK;
    });
}

HRESULT CZentor::SignFileData(BSTR PIN, BSTR FileContent, BSTR FileName, BSTR Challenge,
                              BSTR* HexBinarySignedData) {
    return NoThrow([&] {
        StartText(HexBinarySignedData);
        const auto source = UploadContentSource(FileContent);
        const UploadSigning signing =
            SignUpload(access, *prompt, *source, PIN, ToAnsiText(FileName, CP_ACP),
                       ToAnsiText(Challenge, CP_ACP));
        SignFileCanceled = signing.canceled;
        LastZTError = signing.outcome;
        ReplaceText(HexBinarySignedData, signing.signatures);
        return S_OK;
    });
}
