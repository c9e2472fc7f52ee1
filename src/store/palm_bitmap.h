#pragma once

// The handheld's bitmap format: headers, bitmap families, decoding to 32-bit pixels and the
// transparent colour. Every read is checked against the bytes given, whatever they hold.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessarin {

inline constexpr uint16_t kBitmapCompressed = 0x8000;
inline constexpr uint16_t kBitmapHasColourTable = 0x4000;
inline constexpr uint16_t kBitmapDirectColour = 0x0400;

inline constexpr uint8_t kCompressionScanLine = 0;
inline constexpr uint8_t kCompressionRunLength = 1;
inline constexpr uint8_t kCompressionPackBits = 2;

// Larger bitmaps are refused rather than decoded: no icon comes near this, and a damaged header
// must not make the program allocate gigabytes.
inline constexpr size_t kMaxBitmapPixels = size_t(1) << 20;
inline constexpr size_t kMaxBitmapDataBytes = size_t(1) << 22;

// A colour as 0x00RRGGBB: in memory on this machine blue, green, red and a zero byte.
inline constexpr uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// A 5-6-5 colour with each channel widened to 8 bits by repeating its low bits.
uint32_t Rgb565(uint16_t word);

// The system palette of 1, 2, 4 or 8 bits per pixel; entries past the depth's colours are black.
const std::array<uint32_t, 256>& SystemPalette(int pixelSize);

struct CBitmapHeader {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t rowBytes = 0;
    uint16_t flags = 0;
    uint8_t pixelSize = 0;
    uint8_t version = 0;
    uint8_t transparentIndex = 0;   // version 2
    uint8_t compression = 0;        // versions 2 and 3
    uint32_t transparentValue = 0;  // version 3
    uint32_t nextOffset = 0;        // bytes from this header to the next bitmap; 0 ends the family
    size_t headerSize = 16;         // 24 for version 3
};

// The header at the start of `data`; none when its bytes are not all there.
std::optional<CBitmapHeader> ReadBitmapHeader(const uint8_t* data, size_t size);

// One bitmap of a family: where its header starts in the family's bytes, and the header.
struct CFamilyBitmap {
    size_t offset = 0;
    CBitmapHeader header;
};

// The bitmaps of a family in chain order, marker headers skipped. The walk stops at the last
// bitmap whose header lies wholly inside the bytes.
std::vector<CFamilyBitmap> ListBitmapFamily(const uint8_t* data, size_t size);

struct CDecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // rows top-down, 0x00RRGGBB
};

// The bitmap at the start of `data` as 32-bit pixels; none when it is too short for its header,
// of a version above 3, flagged with both a colour table and direct colour, compressed in an
// unknown way, larger than the limits above, or when pack-bits data overruns the image. Pixels
// whose bytes lie past the end of the data stay black.
std::optional<CDecodedBitmap> DecodeBitmap(const uint8_t* data, size_t size);

// The colour drawn as transparent, if the bitmap has one.
std::optional<uint32_t> TransparentColour(const uint8_t* data, size_t size);

// The image as 0xAARRGGBB: the transparent colour fully transparent, every other pixel opaque.
std::vector<uint32_t> ArgbPixels(const CDecodedBitmap& image, std::optional<uint32_t> transparent);

}  // namespace tessarin
