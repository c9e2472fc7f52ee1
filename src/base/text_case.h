#pragma once

// Letter case of Windows-1252 text: ASCII letters, the accented letters 0xC0-0xFE, and the four
// pairs Š/š, Œ/œ, Ž/ž, Ÿ/ÿ of the 0x80-0x9F range.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessarin {

uint8_t LowerCp1252(uint8_t byte);
uint8_t UpperCp1252(uint8_t byte);
std::string ToLowerCp1252(std::string_view text);

// Equality without regard to letter case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace tessarin
