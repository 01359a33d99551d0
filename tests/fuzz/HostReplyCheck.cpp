#include "tests/fuzz/HostReplyCheck.h"

#include <json/json.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace norva::fuzz {

void ServeAndCheck(const uint8_t* data, size_t size, host::ComponentBinder bind) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    host::ServeOneRequest(in, out, bind);
    const std::string bytes = out.str();
    uint32_t length = 0;
    if (bytes.size() < sizeof length) {
        std::abort();
    }
    std::memcpy(&length, bytes.data(), sizeof length);
    if (length != bytes.size() - sizeof length) {
        std::abort();
    }
    Json::CharReaderBuilder builder;
    builder["failIfExtra"] = true;
    builder["rejectDupKeys"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const char* text = bytes.data() + sizeof length;
    Json::Value reply;
    if (!reader->parse(text, text + length, &reply, nullptr) || !reply.isObject() ||
        !reply["rc"].isString()) {
        std::abort();
    }
}

} // namespace norva::fuzz
