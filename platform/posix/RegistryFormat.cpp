#include "platform/posix/RegistryFormat.h"

#include "platform/posix/Utf8.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace norva {

namespace {

constexpr char kSignature[] = "Norva registry 1";
constexpr RegistryRoot kRoots[] = {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser,
                                   RegistryRoot::LocalMachine};

bool IsSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}
bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendEscape(std::string& out, char16_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof(buffer), "\\u%04X", static_cast<unsigned>(unit));
    out += buffer;
}

std::string Quote(const char16_t* text, size_t length) {
    std::string out = "\"";
    std::u16string run;
    auto flush = [&] {
        out += ToUtf8(run);
        run.clear();
    };
    for (size_t i = 0; i < length; ++i) {
        const char16_t c = text[i];
        const bool paired = (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) ||
                            (IsLowSurrogate(c) && i > 0 && IsHighSurrogate(text[i - 1]));
        if (c < 0x20 || c == 0x7F || (IsSurrogate(c) && !paired)) {
            flush();
            AppendEscape(out, c);
        } else if (c == u'"' || c == u'\\') {
            flush();
            out += '\\';
            out += static_cast<char>(c);
        } else {
            run += c;
        }
    }
    flush();
    return out + "\"";
}

std::string FormatData(const RegistryValue& value) {
    const std::vector<BYTE>& data = value.data;
    if (value.type == REG_SZ && data.size() >= 2 && data.size() % 2 == 0 &&
        data[data.size() - 1] == 0 && data[data.size() - 2] == 0) {
        std::u16string text(data.size() / 2 - 1, u'\0');
        std::memcpy(text.data(), data.data(), text.size() * 2);
        return Quote(text.data(), text.size());
    }
    char buffer[24];
    if (value.type == REG_DWORD && data.size() == 4) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), 4);
        std::snprintf(buffer, sizeof(buffer), "dword:%08x", static_cast<unsigned>(number));
        return buffer;
    }
    std::snprintf(buffer, sizeof(buffer), "hex(%x):", static_cast<unsigned>(value.type));
    std::string out = buffer;
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buffer, sizeof(buffer), i == 0 ? "%02x" : ",%02x", data[i]);
        out += buffer;
    }
    return out;
}

void FormatKey(const RegistryKey& key, const std::u16string& path, std::string& out) {
    out += "\n[" + ToUtf8(path) + "]\n";
    for (const RegistryValue& value : key.values) {
        out += value.name.empty() ? "@" : Quote(value.name.data(), value.name.size());
        out += "=" + FormatData(value) + "\n";
    }
    for (const auto& [folded, subkey] : key.subkeys) {
        FormatKey(subkey, path + u"\\" + subkey.name, out);
    }
}

// Reading ------------------------------------------------------------------------------

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool ReadHexNumber(const std::string& text, size_t& pos, size_t digits, uint32_t& value) {
    value = 0;
    for (size_t i = 0; i < digits; ++i, ++pos) {
        const int digit = pos < text.size() ? HexDigit(text[pos]) : -1;
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

// Reads a quoted string at line[pos], leaving pos after the closing quote.
bool ReadQuoted(const std::string& line, size_t& pos, std::u16string& out) {
    if (pos >= line.size() || line[pos] != '"') {
        return false;
    }
    out.clear();
    std::string run;
    for (++pos; pos < line.size(); ++pos) {
        const char c = line[pos];
        if (c == '"') {
            out += ToUtf16(run);
            ++pos;
            return true;
        }
        if (c != '\\') {
            run += c;
            continue;
        }
        out += ToUtf16(run);
        run.clear();
        if (++pos >= line.size()) {
            return false;
        }
        if (line[pos] == '"' || line[pos] == '\\') {
            out += static_cast<char16_t>(line[pos]);
        } else if (line[pos] == 'u') {
            uint32_t unit = 0;
            ++pos;
            if (!ReadHexNumber(line, pos, 4, unit)) {
                return false;
            }
            --pos;
            out += static_cast<char16_t>(unit);
        } else {
            return false;
        }
    }
    return false;
}

bool ReadData(const std::string& text, RegistryValue& value) {
    size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        std::u16string data;
        if (!ReadQuoted(text, pos, data) || pos != text.size()) {
            return false;
        }
        value.type = REG_SZ;
        value.data.resize((data.size() + 1) * 2);
        std::memcpy(value.data.data(), data.c_str(), value.data.size());
        return true;
    }
    uint32_t number = 0;
    if (text.compare(0, 6, "dword:") == 0) {
        pos = 6;
        if (!ReadHexNumber(text, pos, 8, number) || pos != text.size()) {
            return false;
        }
        value.type = REG_DWORD;
        value.data.resize(4);
        std::memcpy(value.data.data(), &number, 4);
        return true;
    }
    if (text.compare(0, 4, "hex(") != 0) {
        return false;
    }
    const size_t close = text.find("):", 4);
    if (close == std::string::npos || close == 4 || close > 12) {
        return false;
    }
    pos = 4;
    if (!ReadHexNumber(text, pos, close - 4, number)) {
        return false;
    }
    value.type = number;
    for (pos = close + 2; pos < text.size();) {
        if (!value.data.empty() && text[pos++] != ',') {
            return false;
        }
        if (!ReadHexNumber(text, pos, 2, number)) {
            return false;
        }
        value.data.push_back(static_cast<BYTE>(number));
    }
    return true;
}

bool ReadValueLine(const std::string& line, RegistryKey& key) {
    RegistryValue value;
    size_t pos = 0;
    if (line[0] == '@') {
        pos = 1;
    } else if (!ReadQuoted(line, pos, value.name) || value.name.empty()) {
        return false;
    }
    if (pos >= line.size() || line[pos] != '=' || key.FindValue(value.name) != nullptr) {
        return false;
    }
    if (!ReadData(line.substr(pos + 1), value)) {
        return false;
    }
    key.values.push_back(std::move(value));
    return true;
}

RegistryKey* ReadHeader(const std::string& line, RegistryTree& tree) {
    if (line.size() < 3 || line.back() != ']') {
        return nullptr;
    }
    std::u16string path = ToUtf16(line.substr(1, line.size() - 2));
    RegistryPath names;
    for (size_t start = 0;;) {
        const size_t end = path.find(u'\\', start);
        names.push_back(path.substr(start, end - start));
        if (end == std::u16string::npos) {
            break;
        }
        start = end + 1;
    }
    for (const RegistryRoot root : kRoots) {
        if (names[0] == RootName(root)) {
            bool created = false;
            names.erase(names.begin());
            if (names.size() > kMaxKeyDepth) {
                return nullptr;
            }
            for (const std::u16string& name : names) {
                if (name.empty()) {
                    return nullptr;
                }
            }
            return &tree.Create(root, names, created);
        }
    }
    return nullptr;
}

} // namespace

std::string FormatRegistry(const RegistryTree& tree) {
    std::string out = kSignature;
    out += "\n";
    for (const RegistryRoot root : kRoots) {
        FormatKey(tree.Root(root), RootName(root), out);
    }
    return out;
}

bool ParseRegistry(const std::string& text, RegistryTree& tree) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kSignature) {
        return false;
    }
    RegistryKey* key = nullptr;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            key = ReadHeader(line, tree);
            if (key == nullptr) {
                return false;
            }
        } else if (key == nullptr || !ReadValueLine(line, *key)) {
            return false;
        }
    }
    // A store cut short loses its last newline; a complete one always ends with it.
    return text.back() == '\n';
}

} // namespace norva
