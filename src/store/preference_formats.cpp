#include "store/preference_formats.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"

namespace tessarin {

namespace {

constexpr std::string_view kMaximized = "Maximized";
constexpr CWindowPlacement kMaximizedPlacement{true, 20, 20, 700, 400};

// What the C library's atoi makes of the text from `offset` on: leading blanks, a sign, digits.
int ReadDecimal(std::string_view text, size_t offset) {
    size_t i = offset;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX)
            value = int64_t(INT32_MAX) + 1;  // clamp; the sign is applied below
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return static_cast<int>(value);
}

}  // namespace

std::array<uint8_t, CLogFont::kBytes> CLogFont::ToBytes() const {
    std::array<uint8_t, kBytes> bytes{};
    const int32_t numbers[] = {height, width, escapement, orientation, weight};
    for (size_t i = 0; i < 5; ++i)
        WriteLE32(&bytes[4 * i], static_cast<uint32_t>(numbers[i]));
    const uint8_t flags[] = {italic,       underline,     strikeOut, charSet,
                             outPrecision, clipPrecision, quality,   pitchAndFamily};
    std::memcpy(&bytes[20], flags, sizeof flags);
    std::memcpy(&bytes[28], faceName.data(), std::min(faceName.size(), kFaceNameBytes - 1));
    return bytes;
}

CLogFont CLogFont::FromBytes(const uint8_t* bytes) {
    CLogFont font;
    int32_t* numbers[] = {&font.height, &font.width, &font.escapement, &font.orientation,
                          &font.weight};
    for (size_t i = 0; i < 5; ++i)
        *numbers[i] = static_cast<int32_t>(ReadLE32(bytes + 4 * i));
    uint8_t* flags[] = {&font.italic,  &font.underline,     &font.strikeOut,
                        &font.charSet, &font.outPrecision,  &font.clipPrecision,
                        &font.quality, &font.pitchAndFamily};
    for (size_t i = 0; i < 8; ++i)
        *flags[i] = bytes[20 + i];
    const auto* face = reinterpret_cast<const char*>(bytes + 28);
    const void* nul = std::memchr(face, 0, kFaceNameBytes);
    font.faceName.assign(face, nul ? static_cast<const char*>(nul) - face : kFaceNameBytes);
    return font;
}

std::string FormatWinpos(const CWindowPlacement& placement) {
    if (placement.maximized)
        return std::string(kMaximized);
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", placement.left, placement.top,
                  placement.right, placement.bottom);
    return text;
}

std::optional<CWindowPlacement> ParseWinpos(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    if (text == kMaximized)
        return kMaximizedPlacement;
    return CWindowPlacement{false, ReadDecimal(text, 0), ReadDecimal(text, 5),
                            ReadDecimal(text, 10), ReadDecimal(text, 15)};
}

}  // namespace tessarin
