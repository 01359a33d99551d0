// What lives only inside one process that loaded the device simulator (open handles,
// logons, hash contexts) and the call wrapper that every hl_* function goes through:
// process mutex, state-file lock, injected faults, call log.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "testing/common/CallControl.h"
#include "testing/hlsim/HlState.h"

namespace hlsim {

struct CHashRun {
    int32_t algorithm = 0;
    Bytes data;
};

struct CHlRuntime {
    std::mutex mutex;
    int32_t nextHandle = 1;
    std::set<int32_t> handles;
    std::set<int32_t> loggedOn;
    int32_t nextHash = 1;
    std::map<int32_t, CHashRun> hashes;
};

CHlRuntime& HlRuntime();

struct CHlCall {
    CHlState& state;
    CHlRuntime& runtime;
    sim::TCallArgs& log;
    bool changed = false;

    void Arg(const std::string& name, const std::string& value) { log.emplace_back(name, value); }
};

int32_t HlDispatch(const char* function, sim::TCallArgs args,
                   const std::function<int32_t(CHlCall&)>& operation);

// HLSIM_STATE_<library name>, else HLSIM_STATE, else "hlsim-state.json".
std::string HlStatePath();

} // namespace hlsim
