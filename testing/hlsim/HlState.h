// What the hl_* device simulator keeps between processes: whether the card is in, its
// PIN (as the device receives it, after the caller's keyboard conversion), the holder
// data blocks and the RSA key. Stored as JSON beside the faults and call log.
#pragma once

#include <algorithm>
#include <map>
#include <string>

#include <json/json.h>

#include "component/access/drivers/HlApi.h"
#include "testing/common/Crypto.h"

namespace hlsim {

using sim::Bytes;

struct CHlState {
    bool cardPresent = true;
    Bytes pin;
    bool pinExpired = false;
    int pinFailures = 0;
    int maxPinFailures = 3;
    HlUserData userData{};
    HlSpecialUserData specialData{};
    sim::CRsaKey key; // empty modulus: the card holds no key
    std::map<int32_t, int32_t> intParams;

    bool HasKey() const { return !key.n.empty(); }
};

// Default card: holder data, PIN "123456", a fresh 1024-bit key.
CHlState DefaultHlState();
// The state held in `root`; a null root (no state file yet) gives the default card.
CHlState LoadHlState(const Json::Value& root);
// Writes the state into `root`, keeping the faults and call-log entries there.
void StoreHlState(const CHlState& state, Json::Value& root);
// Copies a text into a fixed field, cut so that the field keeps a terminating zero.
template <size_t N> void SetField(char (&field)[N], const std::string& text) {
    const size_t length = text.size() < N ? text.size() : N - 1;
    std::fill(field, field + N, '\0');
    std::copy(text.begin(), text.begin() + length, field);
}
// Replaces the key (1024 bits; 0 removes it) and keeps the holder data's key length.
bool SetHlKey(CHlState& state, unsigned bits);

} // namespace hlsim
