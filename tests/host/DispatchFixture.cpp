#include "tests/host/DispatchFixture.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <json/reader.h>

namespace norva::test {

Json::Value JsonOf(const std::string& text) {
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(text, value)) << text;
    return value;
}
#pragma GCC diagnostic pop

host::CommandResult DispatchFixture::Run(const std::string& func, const std::string& params) {
    try {
        return host::DispatchCommand(zentor, func, JsonOf(params));
    } catch (const host::HostFailure& failure) {
        ADD_FAILURE() << func << " raised " << failure.code;
        return {};
    }
}

int DispatchFixture::RaisedCode(const std::string& func, const std::string& params) {
    try {
        host::DispatchCommand(zentor, func, JsonOf(params));
    } catch (const host::HostFailure& failure) {
        return failure.code;
    }
    return 0;
}

} // namespace norva::test
