#include "component/access/HebrewKeyboard.h"

#include <array>

namespace {

struct KeyMapping {
    char typed;
    unsigned char sent;
};

// Standard Hebrew keyboard layout: the code page 862 letter on each key.
constexpr KeyMapping kKeys[] = {
    {',', 0x9A}, {'<', 0x9A}, {'.', 0x95}, {'>', 0x95}, {':', 0x93}, {';', 0x93}, {'a', 0x99},
    {'b', 0x90}, {'c', 0x81}, {'d', 0x82}, {'e', 0x97}, {'f', 0x8B}, {'g', 0x92}, {'h', 0x89},
    {'i', 0x8F}, {'j', 0x87}, {'k', 0x8C}, {'l', 0x8A}, {'m', 0x96}, {'n', 0x8E}, {'o', 0x8D},
    {'p', 0x94}, {'q', '/'},  {'r', 0x98}, {'s', 0x83}, {'t', 0x80}, {'u', 0x85}, {'v', 0x84},
    {'w', '\''}, {'x', 0x91}, {'y', 0x88}, {'z', 0x86},
};

// Code page 1255 Hebrew letters start at E0, code page 862 ones at 80.
constexpr unsigned kCp1255FirstLetter = 0xE0;
constexpr unsigned kCp1255ToCp862 = 0x60;

constexpr std::array<unsigned char, 256> BuildTable() {
    std::array<unsigned char, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        table[byte] = static_cast<unsigned char>(byte);
    }
    for (unsigned byte = kCp1255FirstLetter; byte < 256; ++byte) {
        table[byte] = static_cast<unsigned char>(byte - kCp1255ToCp862);
    }
    for (const KeyMapping& key : kKeys) {
        table[static_cast<unsigned char>(key.typed)] = key.sent;
        if (key.typed >= 'a' && key.typed <= 'z') {
            table[static_cast<unsigned char>(key.typed - 'a' + 'A')] = key.sent;
        }
    }
    return table;
}

constexpr std::array<unsigned char, 256> kTable = BuildTable();

} // namespace

std::string ToHebrewKeyboard(std::string_view text) {
    std::string converted(text);
    for (char& c : converted) {
        c = static_cast<char>(kTable[static_cast<unsigned char>(c)]);
    }
    return converted;
}
