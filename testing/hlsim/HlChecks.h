// Preconditions shared by the hl_* functions.
#pragma once

#include <cstring>

#include "testing/hlsim/HlRuntime.h"

namespace hlsim {

inline int32_t CheckHandle(const CHlCall& call, int32_t handle) {
    return call.runtime.handles.count(handle) ? HL_OK : HL_ERR_BAD_HANDLE;
}

// An open handle and a card in the reader.
inline int32_t CheckCard(const CHlCall& call, int32_t handle) {
    if (const int32_t result = CheckHandle(call, handle))
        return result;
    return call.state.cardPresent ? HL_OK : HL_ERR_NO_MEDIA;
}

// An open handle, a card, and a successful hl_logon on this handle.
inline int32_t CheckLoggedOn(const CHlCall& call, int32_t handle) {
    if (const int32_t result = CheckCard(call, handle))
        return result;
    return call.runtime.loggedOn.count(handle) ? HL_OK : HL_ERR_NOT_LOGGED_ON;
}

inline std::string PinHex(const char* pin) {
    return pin ? sim::ToHex(reinterpret_cast<const uint8_t*>(pin), std::strlen(pin)) : "null";
}

} // namespace hlsim
