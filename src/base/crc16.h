#pragma once

#include <cstddef>
#include <cstdint>

namespace tessarin {

// CRC-16 with polynomial 0x1021, most significant bit first, no final XOR, table-driven.
uint16_t Crc16(const uint8_t* data, size_t length, uint16_t initial);

}  // namespace tessarin
