#include "base/text_case.h"

#include <array>

namespace tessarin {

namespace {

struct CCaseTables {
    std::array<uint8_t, 256> lower{};
    std::array<uint8_t, 256> upper{};
};

constexpr CCaseTables MakeTables() {
    CCaseTables t;
    for (int i = 0; i < 256; ++i)
        t.lower[i] = t.upper[i] = static_cast<uint8_t>(i);
    auto pair = [&t](int up, int low) {
        t.lower[up] = static_cast<uint8_t>(low);
        t.upper[low] = static_cast<uint8_t>(up);
    };
    for (int c = 'A'; c <= 'Z'; ++c)
        pair(c, c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)  // the multiplication sign has no case
            pair(c, c + 32);
    pair(0x8A, 0x9A);
    pair(0x8C, 0x9C);
    pair(0x8E, 0x9E);
    pair(0x9F, 0xFF);
    return t;
}

constexpr CCaseTables kCase = MakeTables();

}  // namespace

uint8_t LowerCp1252(uint8_t byte) {
    return kCase.lower[byte];
}
uint8_t UpperCp1252(uint8_t byte) {
    return kCase.upper[byte];
}

std::string ToLowerCp1252(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(kCase.lower[static_cast<uint8_t>(c)]);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (kCase.lower[static_cast<uint8_t>(a[i])] != kCase.lower[static_cast<uint8_t>(b[i])])
            return false;
    return true;
}

}  // namespace tessarin
