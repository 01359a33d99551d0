// Runs the host's one-request flow on raw input bytes and checks the reply: one frame whose
// length counts its bytes, holding a JSON object with a text "rc".
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/HostSession.h"

namespace norva::fuzz {

void ServeAndCheck(const uint8_t* data, size_t size, host::ComponentBinder bind);

} // namespace norva::fuzz
