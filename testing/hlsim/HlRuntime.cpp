#include "testing/hlsim/HlRuntime.h"

#include <exception>

#include "testing/common/StateFile.h"

namespace hlsim {

CHlRuntime& HlRuntime() {
    static CHlRuntime runtime;
    return runtime;
}

std::string HlStatePath() {
    return sim::SimulatorStatePath("HLSIM_STATE", "hlsim-state.json");
}

int32_t HlDispatch(const char* function, sim::TCallArgs args,
                   const std::function<int32_t(CHlCall&)>& operation) {
    CHlRuntime& runtime = HlRuntime();
    std::lock_guard<std::mutex> guard(runtime.mutex);
    int32_t result = HL_ERR_DEVICE;
    try {
        sim::CStateFile(HlStatePath()).Update([&](Json::Value& root) {
            bool counted = false;
            const auto fault = sim::TakeFault(root, function, counted);
            const bool fresh = !root.isObject() || !root.isMember("card");
            CHlState state = LoadHlState(root);
            CHlCall call{state, runtime, args};
            result = fault ? static_cast<int32_t>(*fault) : operation(call);
            if (call.changed || fresh)
                StoreHlState(state, root);
            sim::AppendCallLog(root, function, args, static_cast<uint32_t>(result));
            return call.changed || counted || fresh;
        });
    } catch (const std::exception&) {
        return HL_ERR_DEVICE;
    }
    return result;
}

} // namespace hlsim
