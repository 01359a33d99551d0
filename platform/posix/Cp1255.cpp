#include "platform/posix/Cp1255.h"

#include <array>
#include <cstddef>

namespace {

// 0x80-0xFF; 0 marks a byte that Windows-1255 leaves undefined.
constexpr char16_t kHighHalf[128] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0,      0x2039, 0,      0,      0,      0,      // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0,      0x203A, 0,      0,      0,      0,      // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x20AA, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00D7, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00F7, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x05B0, 0x05B1, 0x05B2, 0x05B3, 0x05B4, 0x05B5, 0x05B6, 0x05B7, // C0
    0x05B8, 0x05B9, 0x05BA, 0x05BB, 0x05BC, 0x05BD, 0x05BE, 0x05BF, // C8
    0x05C0, 0x05C1, 0x05C2, 0x05C3, 0x05F0, 0x05F1, 0x05F2, 0x05F3, // D0
    0x05F4, 0,      0,      0,      0,      0,      0,      0,      // D8
    0x05D0, 0x05D1, 0x05D2, 0x05D3, 0x05D4, 0x05D5, 0x05D6, 0x05D7, // E0
    0x05D8, 0x05D9, 0x05DA, 0x05DB, 0x05DC, 0x05DD, 0x05DE, 0x05DF, // E8
    0x05E0, 0x05E1, 0x05E2, 0x05E3, 0x05E4, 0x05E5, 0x05E6, 0x05E7, // F0
    0x05E8, 0x05E9, 0x05EA, 0,      0,      0x200E, 0x200F, 0,      // F8
};

struct ReverseEntry {
    char16_t unit;
    uint8_t byte;
};

// Units above 0x7F with their bytes, sorted by unit for a binary search.
constexpr std::array<ReverseEntry, 128> BuildReverse() {
    std::array<ReverseEntry, 128> table{};
    for (int i = 0; i < 128; ++i) {
        const char16_t unit = kHighHalf[i] != 0 ? kHighHalf[i] : static_cast<char16_t>(0x80 + i);
        table[i] = {unit, static_cast<uint8_t>(0x80 + i)};
    }
    for (size_t i = 1; i < table.size(); ++i) {
        for (size_t j = i; j > 0 && table[j - 1].unit > table[j].unit; --j) {
            const ReverseEntry swap = table[j];
            table[j] = table[j - 1];
            table[j - 1] = swap;
        }
    }
    return table;
}

constexpr std::array<ReverseEntry, 128> kReverse = BuildReverse();

} // namespace

namespace norva {

char16_t Cp1255ToUnit(uint8_t byte) {
    if (byte < 0x80) {
        return byte;
    }
    const char16_t unit = kHighHalf[byte - 0x80];
    return unit != 0 ? unit : static_cast<char16_t>(byte);
}

bool Cp1255FromUnit(char16_t unit, uint8_t& byte) {
    if (unit < 0x80) {
        byte = static_cast<uint8_t>(unit);
        return true;
    }
    size_t low = 0, high = kReverse.size();
    while (low < high) {
        const size_t middle = (low + high) / 2;
        if (kReverse[middle].unit < unit) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low < kReverse.size() && kReverse[low].unit == unit) {
        byte = kReverse[low].byte;
        return true;
    }
    return false;
}

} // namespace norva
