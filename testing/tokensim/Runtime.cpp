#include "testing/tokensim/Runtime.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>

#include "testing/common/StateFile.h"
#include "testing/common/SystemSeams.h"

namespace tokensim {

CRuntime& Runtime() {
    static CRuntime runtime;
    return runtime;
}

std::string StatePath() {
    return sim::SimulatorStatePath("TOKENSIM_STATE", "tokensim-state.json");
}

// A slow driver: TOKENSIM_PAUSE="C_Finalize=100" makes every C_Finalize wait 100 ms
// before it starts, so that tests can order calls made from two threads.
void PauseIfAsked(const char* function) {
    const std::string pause = sim::ReadEnvironment("TOKENSIM_PAUSE");
    const std::string prefix = std::string(function) + "=";
    if (pause.rfind(prefix, 0) == 0) {
        const long milliseconds = std::strtol(pause.c_str() + prefix.size(), nullptr, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
}

// A driver that overstates its answers: TOKENSIM_OVERSTATE="C_GetSlotList=25" makes a
// successful call report 25 (slots, or bytes of each value) while writing no more than
// the room it was given.
CK_ULONG OverstatedLength(const char* function) {
    const std::string overstate = sim::ReadEnvironment("TOKENSIM_OVERSTATE");
    const std::string prefix = std::string(function) + "=";
    if (overstate.rfind(prefix, 0) != 0) {
        return 0;
    }
    return std::strtoul(overstate.c_str() + prefix.size(), nullptr, 10);
}

CK_RV Dispatch(const char* function, sim::TCallArgs args,
               const std::function<CK_RV(CCall&)>& operation, TNeedsInit needsInit) {
    PauseIfAsked(function);
    CRuntime& runtime = Runtime();
    std::lock_guard<std::mutex> guard(runtime.mutex);
    CK_RV rv = CKR_GENERAL_ERROR;
    try {
        const auto change = [&](Json::Value& root, uint64_t version) {
            bool counted = false;
            const auto fault = sim::TakeFault(root, function, counted);
            const bool fresh = !root.isObject() || !root.isMember("readers");
            // Decoding the state costs more than most calls: the decoded form is kept
            // for as long as the state on file is the one it came from.
            if (fresh || version != runtime.decodedVersion)
                runtime.decoded = LoadTokenState(root);
            runtime.decodedVersion = 0;
            CTokenState state = runtime.decoded;
            CCall call{state, runtime, args};
            if (fault)
                rv = *fault;
            else if (needsInit == TNeedsInit::Yes && !runtime.initialized)
                rv = CKR_CRYPTOKI_NOT_INITIALIZED;
            else
                rv = operation(call);
            if (call.changed || fresh) {
                StoreTokenState(state, root);
                runtime.decoded = std::move(state);
            }
            sim::AppendCallLog(root, function, args, static_cast<uint32_t>(rv));
            return call.changed || counted || fresh;
        };
        runtime.decodedVersion = sim::CStateFile(StatePath()).UpdateVersioned(change);
    } catch (const std::exception&) {
        return CKR_GENERAL_ERROR;
    }
    return rv;
}

} // namespace tokensim
