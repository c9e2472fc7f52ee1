#pragma once

// The formats of the preferences that are more than a number or a plain text: the list font's
// 60-byte record ("Font") and the main window's placement ("Winpos"). The column layout's image is
// CColumnLayout::ToBytes (store/items.h).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin {

// The platform's logical-font record: five 32-bit numbers, eight bytes and a 32-byte face name,
// little-endian, 60 bytes in all.
struct CLogFont {
    static constexpr size_t kBytes = 60;
    static constexpr size_t kFaceNameBytes = 32;

    int32_t height = 0;  // negative: the character height, positive: the cell height
    int32_t width = 0;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;  // 400 normal, 700 bold
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::string faceName;  // Windows-1252; at most 31 bytes are kept, the field ends with a zero

    std::array<uint8_t, kBytes> ToBytes() const;
    static CLogFont FromBytes(const uint8_t* bytes);
    friend bool operator==(const CLogFont&, const CLogFont&) = default;
};

// Where the main window stands: maximised, or its normal rectangle.
struct CWindowPlacement {
    bool maximized = false;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CWindowPlacement&, const CWindowPlacement&) = default;
};

// "Maximized", or "%04d %04d %04d %04d" with the normal rectangle.
std::string FormatWinpos(const CWindowPlacement& placement);
// None for an empty text (the window system places the window). "Maximized" gives the maximised
// window with the normal rectangle 20, 20, 700, 400; any other text is read as four decimal numbers
// starting at character offsets 0, 5, 10 and 15, each as far as its digits go (0 where there are
// none).
std::optional<CWindowPlacement> ParseWinpos(std::string_view text);

}  // namespace tessarin
