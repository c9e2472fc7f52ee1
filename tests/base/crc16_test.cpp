#include "base/crc16.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace tessarin {
namespace {

// The definition, one bit at a time.
uint16_t BitwiseCrc(const std::vector<uint8_t>& data, uint16_t crc) {
    for (uint8_t byte : data) {
        crc ^= static_cast<uint16_t>(byte << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    return crc;
}

TEST(Crc16, MatchesTheCcittFalseCheckValueAndChainsAcrossCalls) {
    const char* text = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(text);
    // CRC-16/CCITT-FALSE (initial 0xFFFF) of "123456789" is the published check value 0x29B1.
    EXPECT_EQ(Crc16(bytes, 9, 0xFFFF), 0x29B1);
    // Feeding the text in two pieces gives the same result as in one.
    EXPECT_EQ(Crc16(bytes + 4, 5, Crc16(bytes, 4, 1259)), Crc16(bytes, 9, 1259));
    EXPECT_EQ(Crc16(bytes, 0, 1259), 1259);
}

TEST(Crc16, AgreesWithTheBitwiseDefinitionAtEveryLength) {
    std::mt19937 random(7);
    for (size_t length = 0; length < 70; ++length) {
        std::vector<uint8_t> data(length);
        for (auto& b : data)
            b = static_cast<uint8_t>(random());
        const uint16_t initial = static_cast<uint16_t>(random());
        EXPECT_EQ(Crc16(data.data(), data.size(), initial), BitwiseCrc(data, initial)) << length;
    }
}

}  // namespace
}  // namespace tessarin
