#include "base/crc16.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tessarin {
namespace {

TEST(Crc16, MatchesTheCcittFalseCheckValueAndChainsAcrossCalls) {
    const char* text = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    // CRC-16/CCITT-FALSE (initial 0xFFFF) of "123456789" is the published check value 0x29B1.
    EXPECT_EQ(Crc16(bytes, 9, 0xFFFF), 0x29B1);
    // Feeding the text in two pieces gives the same result as in one.
    EXPECT_EQ(Crc16(bytes + 4, 5, Crc16(bytes, 4, 1259)), Crc16(bytes, 9, 1259));
    EXPECT_EQ(Crc16(bytes, 0, 1259), 1259);
}

}  // namespace
}  // namespace tessarin
