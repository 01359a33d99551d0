#include "host/CommandHandlers.h"

namespace norva::host {

namespace {

// SignData and DecryptAndSignData take the same arguments.
template <typename Method> std::string RunDataSigning(CCommandCall& call, Method method) {
    const COwnedBstr pin = call.Text("pin");
    COwnedVariant rawData;
    RawDataParam(call.Params(), "rawData", rawData);
    const VARIANT_BOOL convertToBinary = FlagParam(call.Params(), "isConvertToBinary");
    return call.Bstr(method, pin.get(), rawData.get(), convertToBinary);
}

} // namespace

std::string RunHostVersion(CCommandCall&) {
    return "1.0.0.0";
}

std::string RunFormatToken(CCommandCall& call) {
    const COwnedBstr soPassword = call.Text("SOPassword");
    return call.Retval(&IZentor::FormatToken, soPassword.get());
}

std::string RunInitPin(CCommandCall& call) {
    const COwnedBstr newPin = call.Text("initPin");
    const COwnedBstr soPassword = call.Text("SOPassword");
    return call.Retval(&IZentor::InitPIN, newPin.get(), soPassword.get());
}

std::string RunGenerateKeys(CCommandCall& call) {
    const COwnedBstr pin = call.Text("pin");
    return call.Retval(&IZentor::GenerateKeys, pin.get());
}

std::string RunGenerateKeysCustom(CCommandCall& call) {
    const COwnedBstr pin = call.Text("pin");
    const COwnedBstr keyLength = call.Text("keylength");
    return call.Retval(&IZentor::GenerateKeysCustom, pin.get(), keyLength.get());
}

std::string RunChangePin(CCommandCall& call) {
    const COwnedBstr oldPin = call.Text("oldPin");
    const COwnedBstr newPin = call.Text("newPin");
    return call.Retval(&IZentor::ChangePIN, oldPin.get(), newPin.get());
}

std::string RunSignData(CCommandCall& call) {
    return RunDataSigning(call, &IZentor::SignData);
}

std::string RunSignFile(CCommandCall& call) {
    const COwnedBstr pin = call.Text("pin");
    const COwnedBstr fileName = call.Text("fileName");
    const COwnedBstr challenge = call.Text("challenge");
    std::string signatures =
        call.Bstr(&IZentor::SignFile, pin.get(), fileName.get(), challenge.get());
    call.ReadSignFileCanceled();
    return signatures;
}

std::string RunSignFileData(CCommandCall& call) {
    const COwnedBstr pin = call.Text("pin");
    const COwnedBstr fileContent = call.Text("fileContent");
    const COwnedBstr fileName = call.Text("fileName");
    const COwnedBstr challenge = call.Text("challenge");
    std::string signatures = call.Bstr(&IZentor::SignFileData, pin.get(), fileContent.get(),
                                       fileName.get(), challenge.get());
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
    return call.Put(&IZentor::put_CardType, CardTypeParam(call.Params(), "newVal"));
}

std::string RunFullFormatToken(CCommandCall& call) {
    const COwnedBstr newPin = call.Text("initPin");
    const COwnedBstr soPassword = call.Text("SOPassword");
    const COwnedBstr userId = call.Text("userID");
    const COwnedBstr firstName = call.Text("firstName");
    const COwnedBstr lastName = call.Text("lastName");
    const COwnedBstr keyLength = call.Text("keyLength");
    return call.Bstr(&IZentor::FullFormatToken, newPin.get(), soPassword.get(), userId.get(),
                     firstName.get(), lastName.get(), keyLength.get());
}

} // namespace norva::host
