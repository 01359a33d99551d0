#include "host/WireFrame.h"

#include <istream>
#include <ostream>

namespace norva::host {

std::string ReadFramedText(std::istream& in) {
    WireLength length{0};
    in.read(reinterpret_cast<char*>(&length), sizeof length);
    std::string text;
    for (uint32_t got = 0; got < length.textBytes; ++got) {
        const std::istream::int_type byte = in.get();
        if (byte == std::istream::traits_type::eof()) {
            break;
        }
        text.push_back(static_cast<char>(byte));
    }
    return text;
}

void WriteFramedText(std::ostream& out, const std::string& text) {
    const WireLength length{static_cast<uint32_t>(text.size())};
    out.write(reinterpret_cast<const char*>(&length), sizeof length);
    out.flush();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
}

} // namespace norva::host
