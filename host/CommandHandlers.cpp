#include "host/CommandHandlers.h"

#include "component/signing/UploadRecordCount.h"

namespace norva::host {

namespace {

// SignData and DecryptAndSignData take the same arguments.
template <typename Method> std::string RunDataSigning(CCommandCall& call, Method method) {
    const OwnedBstr pin = call.Text("pin");
    OwnedVariant rawData;
    call.RawData("rawData", rawData);
    const VARIANT_BOOL convertToBinary = call.Flag("isConvertToBinary");
    return call.Bstr(method, pin.Get(), *rawData.Get(), convertToBinary);
}

} // namespace

std::string RunHostVersion(CCommandCall&) {
    return "1.0.0.0";
}

std::string RunFormatToken(CCommandCall& call) {
    const OwnedBstr soPassword = call.Text("SOPassword");
    return call.Retval(&IZentor::FormatToken, soPassword.Get());
}

std::string RunInitPin(CCommandCall& call) {
    const OwnedBstr newPin = call.Text("initPin");
    const OwnedBstr soPassword = call.Text("SOPassword");
    return call.Retval(&IZentor::InitPIN, newPin.Get(), soPassword.Get());
}

std::string RunGenerateKeys(CCommandCall& call) {
    const OwnedBstr pin = call.Text("pin");
    return call.Retval(&IZentor::GenerateKeys, pin.Get());
}

std::string RunGenerateKeysCustom(CCommandCall& call) {
    const OwnedBstr pin = call.Text("pin");
    const OwnedBstr keyLength = call.Text("keylength");
    return call.Retval(&IZentor::GenerateKeysCustom, pin.Get(), keyLength.Get());
}

std::string RunChangePin(CCommandCall& call) {
    const OwnedBstr oldPin = call.Text("oldPin");
    const OwnedBstr newPin = call.Text("newPin");
    return call.Retval(&IZentor::ChangePIN, oldPin.Get(), newPin.Get());
}

std::string RunSignData(CCommandCall& call) {
    return RunDataSigning(call, &IZentor::SignData);
}

std::string RunSignFile(CCommandCall& call) {
    const OwnedBstr pin = call.Text("pin");
    const OwnedBstr fileName = call.Text("fileName");
    const OwnedBstr challenge = call.Text("challenge");
    call.LimitUpload(CountFileRecords(fileName.Get()));
    std::string signatures =
        call.Bstr(&IZentor::SignFile, pin.Get(), fileName.Get(), challenge.Get());
    call.ReadSignFileCanceled();
    return signatures;
}

std::string RunSignFileData(CCommandCall& call) {
    const OwnedBstr pin = call.Text("pin");
    const OwnedBstr fileContent = call.Text("fileContent");
    const OwnedBstr fileName = call.Text("fileName");
    const OwnedBstr challenge = call.Text("challenge");
    call.LimitUpload(CountContentRecords(fileContent.Get()));
    std::string signatures = call.Bstr(&IZentor::SignFileData, pin.Get(), fileContent.Get(),
                                       fileName.Get(), challenge.Get());
    call.ReadSignFileCanceled();
    return signatures;
}

std::string RunDecryptAndSignData(CCommandCall& call) {
    return RunDataSigning(call, &IZentor::DecryptAndSignData);
}

std::string RunCardType(CCommandCall& call) {
    if (!call.IsPut()) {
        return call.Number<LONG>(&IZentor::get_CardType);
    }
    return call.Put(&IZentor::put_CardType, call.CardType("newVal"));
}

std::string RunFullFormatToken(CCommandCall& call) {
    const OwnedBstr newPin = call.Text("initPin");
    const OwnedBstr soPassword = call.Text("SOPassword");
    const OwnedBstr userId = call.Text("userID");
    const OwnedBstr firstName = call.Text("firstName");
    const OwnedBstr lastName = call.Text("lastName");
    const OwnedBstr keyLength = call.Text("keyLength");
    return call.Bstr(&IZentor::FullFormatToken, newPin.Get(), soPassword.Get(), userId.Get(),
                     firstName.Get(), lastName.Get(), keyLength.Get());
}

} // namespace norva::host
