// Device handles, logon, PIN and holder data.
#include <cstring>

#include "testing/hlsim/HlChecks.h"

using namespace hlsim;

namespace {

std::string Num(long value) {
    return std::to_string(value);
}

// Compares a PIN with the card's, counting failures; the failure that reaches the
// limit and every later attempt answer HL_ERR_PIN_LOCKED.
int32_t CheckPin(CHlCall& call, const char* pin) {
    CHlState& state = call.state;
    if (state.pinFailures >= state.maxPinFailures)
        return HL_ERR_PIN_LOCKED;
    call.changed = true;
    if (Bytes(pin, pin + std::strlen(pin)) != state.pin) {
        ++state.pinFailures;
        return state.pinFailures >= state.maxPinFailures ? HL_ERR_PIN_LOCKED : HL_ERR_WRONG_PIN;
    }
    state.pinFailures = 0;
    return HL_OK;
}

} // namespace

extern "C" {

int32_t WINAPI hl_on(int32_t* handle, int32_t mode, int32_t reserved) {
    return HlDispatch("hl_on", {{"mode", Num(mode)}, {"reserved", Num(reserved)}},
                      [&](CHlCall& call) {
                          if (!handle)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          *handle = call.runtime.nextHandle++;
                          call.runtime.handles.insert(*handle);
                          call.Arg("handle", Num(*handle));
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_off(int32_t handle) {
    return HlDispatch("hl_off", {{"handle", Num(handle)}}, [&](CHlCall& call) {
        if (const int32_t result = CheckHandle(call, handle))
            return result;
        call.runtime.handles.erase(handle);
        call.runtime.loggedOn.erase(handle);
        return int32_t(HL_OK);
    });
}

int32_t WINAPI hl_logon(int32_t handle, const char* pin) {
    return HlDispatch("hl_logon", {{"handle", Num(handle)}, {"pin", PinHex(pin)}},
                      [&](CHlCall& call) {
                          if (const int32_t result = CheckCard(call, handle))
                              return result;
                          if (!pin)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          if (const int32_t result = CheckPin(call, pin))
                              return result;
                          if (call.state.pinExpired)
                              return int32_t(HL_PIN_EXPIRED);
                          call.runtime.loggedOn.insert(handle);
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_logoff(int32_t handle) {
    return HlDispatch("hl_logoff", {{"handle", Num(handle)}}, [&](CHlCall& call) {
        if (const int32_t result = CheckHandle(call, handle))
            return result;
        return call.runtime.loggedOn.erase(handle) ? int32_t(HL_OK) : int32_t(HL_ERR_NOT_LOGGED_ON);
    });
}

int32_t WINAPI hl_is_media_available(int32_t handle) {
    return HlDispatch("hl_is_media_available", {{"handle", Num(handle)}},
                      [&](CHlCall& call) { return CheckCard(call, handle); });
}

int32_t WINAPI hl_get_media_state(int32_t handle, int32_t* present, int32_t* loggedOn,
                                  int32_t reserved) {
    return HlDispatch("hl_get_media_state", {{"handle", Num(handle)}, {"reserved", Num(reserved)}},
                      [&](CHlCall& call) {
                          if (const int32_t result = CheckHandle(call, handle))
                              return result;
                          if (!present || !loggedOn)
                              return int32_t(HL_ERR_BAD_ARGUMENT);
                          *present = call.state.cardPresent ? 1 : 0;
                          *loggedOn = call.runtime.loggedOn.count(handle) ? 1 : 0;
                          return int32_t(HL_OK);
                      });
}

int32_t WINAPI hl_get_user_data(int32_t handle, void* userData) {
    return HlDispatch("hl_get_user_data", {{"handle", Num(handle)}}, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!userData)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        std::memcpy(userData, &call.state.userData, sizeof call.state.userData);
        return int32_t(HL_OK);
    });
}

int32_t WINAPI hl_get_special_user_data(int32_t handle, void* data, int32_t* size,
                                        int32_t reserved) {
    sim::TCallArgs args = {
        {"handle", Num(handle)}, {"size", size ? Num(*size) : "null"}, {"reserved", Num(reserved)}};
    return HlDispatch("hl_get_special_user_data", args, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!data || !size)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        const int32_t room = *size;
        *size = HL_SPECIAL_USER_DATA_SIZE;
        if (room < HL_SPECIAL_USER_DATA_SIZE)
            return int32_t(HL_ERR_BUFFER_TOO_SMALL);
        std::memcpy(data, &call.state.specialData, sizeof call.state.specialData);
        return int32_t(HL_OK);
    });
}

int32_t WINAPI hl_remaining_pwd_attempts(int32_t handle, int32_t* attempts) {
    return HlDispatch("hl_remaining_pwd_attempts", {{"handle", Num(handle)}}, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!attempts)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        *attempts = std::max(0, call.state.maxPinFailures - call.state.pinFailures);
        return int32_t(HL_OK);
    });
}

// Needs no logon: an expired PIN is changed with the old one.
int32_t WINAPI hl_change_password(int32_t handle, const char* oldPin, const char* newPin) {
    sim::TCallArgs args = {
        {"handle", Num(handle)}, {"oldPin", PinHex(oldPin)}, {"newPin", PinHex(newPin)}};
    return HlDispatch("hl_change_password", args, [&](CHlCall& call) {
        if (const int32_t result = CheckCard(call, handle))
            return result;
        if (!oldPin || !newPin)
            return int32_t(HL_ERR_BAD_ARGUMENT);
        if (const int32_t result = CheckPin(call, oldPin))
            return result;
        const size_t length = std::strlen(newPin);
        if (length < 4 || length > 16)
            return int32_t(HL_ERR_BAD_NEW_PIN);
        call.state.pin = Bytes(newPin, newPin + length);
        call.state.pinExpired = false;
        return int32_t(HL_OK);
    });
}

int32_t WINAPI hl_change_def_int_param(int32_t handle, int32_t param, int32_t value) {
    return HlDispatch("hl_change_def_int_param",
                      {{"handle", Num(handle)}, {"param", Num(param)}, {"value", Num(value)}},
                      [&](CHlCall& call) {
                          if (const int32_t result = CheckHandle(call, handle))
                              return result;
                          call.state.intParams[param] = value;
                          call.changed = true;
                          return int32_t(HL_OK);
                      });
}

} // extern "C"
