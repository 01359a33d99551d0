// The host's request handling from raw standard-input bytes to the reply, against a
// recording double of the component whose texts need escaping in the reply.
#include "tests/fuzz/HostReplyCheck.h"
#include "tests/host/CRecordingZentor.h"

namespace {

norva::test::CRecordingZentor* g_component = nullptr;

IZentor* Bind() {
    return g_component;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    norva::test::CRecordingZentor component;
    component.answers.text = u"\"Dana\\ \u05D3\u05E0\u05D4\n\x01";
    component.answers.tokensCount = 2;
    component.answers.lastZTError = ZTLoginPinExpired;
    g_component = &component;
    norva::fuzz::ServeAndCheck(data, size, &Bind);
    g_component = nullptr;
    return 0;
}
