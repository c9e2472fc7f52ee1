#include "base/crc16.h"

#include <array>

namespace tessarin {

namespace {

// kTables[k][b]: what byte b contributes when k more bytes follow it. Eight bytes at a time then
// cost eight independent lookups instead of a chain of eight dependent ones (slicing by 8).
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        t[0][i] = static_cast<uint16_t>(crc);
    }
    for (int k = 1; k < 8; ++k)
        for (unsigned i = 0; i < 256; ++i)
            t[k][i] = static_cast<uint16_t>((t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 8]);
    return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

uint16_t Crc16(const uint8_t* data, size_t length, uint16_t initial) {
    uint16_t crc = initial;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        const uint8_t* p = data + i;
        crc =
            static_cast<uint16_t>(kTables[7][p[0] ^ (crc >> 8)] ^ kTables[6][p[1] ^ (crc & 0xFF)] ^
                                  kTables[5][p[2]] ^ kTables[4][p[3]] ^ kTables[3][p[4]] ^
                                  kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]]);
    }
    for (; i < length; ++i)
        crc = static_cast<uint16_t>(kTables[0][((crc >> 8) ^ data[i]) & 0xFF] ^ (crc << 8));
    return crc;
}

}  // namespace tessarin
