// The body of each protocol command: which parameters it takes, in which order, and which
// IZentor call it makes with them.
#pragma once

#include "host/CommandCall.h"

namespace norva::host {

std::string RunHostVersion(CCommandCall& call);
std::string RunFormatToken(CCommandCall& call);
std::string RunInitPin(CCommandCall& call);
std::string RunGenerateKeys(CCommandCall& call);
std::string RunGenerateKeysCustom(CCommandCall& call);
std::string RunChangePin(CCommandCall& call);
std::string RunSignData(CCommandCall& call);
std::string RunSignFile(CCommandCall& call);
std::string RunSignFileData(CCommandCall& call);
std::string RunDecryptAndSignData(CCommandCall& call);
std::string RunCardType(CCommandCall& call);
std::string RunFullFormatToken(CCommandCall& call);

// A holder-record name: a put of "newVal" when "params" is present, else a get.
template <auto Get, auto Put> std::string RunTextProperty(CCommandCall& call) {
    if (!call.IsPut()) {
        return call.Bstr(Get);
    }
    const OwnedBstr value = call.Text("newVal");
    return call.Put(Put, value.Get());
}

template <typename Value, auto Get> std::string RunNumberGet(CCommandCall& call) {
    return call.Number<Value>(Get);
}

template <auto Get> std::string RunTextGet(CCommandCall& call) {
    return call.Bstr(Get);
}

} // namespace norva::host
