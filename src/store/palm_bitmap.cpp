#include "store/palm_bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/bytes.h"

namespace tessarin {

namespace {

constexpr std::array<uint32_t, 256> MakeGreyPalette(int pixelSize) {
    std::array<uint32_t, 256> palette{};
    const int levels = 1 << pixelSize;
    for (int i = 0; i < levels; ++i) {
        // Index 0 is white, the last index black, evenly spaced between.
        const auto level = static_cast<uint8_t>(255 - i * 255 / (levels - 1));
        palette[static_cast<size_t>(i)] = Rgb(level, level, level);
    }
    return palette;
}

constexpr std::array<uint32_t, 256> MakeColourPalette() {
    constexpr uint8_t kLevels[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
    std::array<uint32_t, 256> palette{};
    size_t i = 0;
    // The colour cube in two halves: blue FF, CC, 99 first, then 66, 33, 00 without black.
    for (int half = 0; half < 2; ++half)
        for (int red = 0; red < 6; ++red)
            for (int blue = 0; blue < 3; ++blue)
                for (int green = 0; green < 6; ++green) {
                    if (half == 1 && red == 5 && blue == 2 && green == 5)
                        continue;
                    palette[i++] = Rgb(kLevels[red], kLevels[green], kLevels[3 * half + blue]);
                }
    for (uint8_t grey : {0x11, 0x22, 0x44, 0x55, 0x77, 0x88, 0xAA, 0xBB, 0xDD, 0xEE})
        palette[i++] = Rgb(grey, grey, grey);
    palette[i++] = Rgb(0xC0, 0xC0, 0xC0);
    palette[i++] = Rgb(0x80, 0, 0);
    palette[i++] = Rgb(0x80, 0, 0x80);
    palette[i++] = Rgb(0, 0x80, 0);
    palette[i++] = Rgb(0, 0x80, 0x80);
    return palette;  // the rest stays black
}

constexpr auto kPalette1 = MakeGreyPalette(1);
constexpr auto kPalette2 = MakeGreyPalette(2);
constexpr auto kPalette4 = MakeGreyPalette(4);
constexpr auto kPalette8 = MakeColourPalette();
constexpr std::array<uint32_t, 256> kNoPalette{};

// Reads forward through bytes that may end anywhere.
class CByteReader {
public:
    CByteReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Byte(uint8_t& value) {
        if (m_pos >= m_size)
            return false;
        value = m_data[m_pos++];
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

bool IsMarker(const uint8_t* p, size_t size) {
    return size >= 16 && ReadBE16(p) == 0 && ReadBE16(p + 2) == 0 && ReadBE16(p + 4) == 0 &&
           ReadBE16(p + 6) == 0 && p[8] == 0xFF && p[9] == 1;
}

// Each decompressor fills `out` (rows x rowBytes, zeroed) and returns how many leading bytes of it
// the data reached before it ran out; none when the data cannot be decoded at all.

// Scan-line and run-length data work row by row, each row after the first starting as a copy of
// the row above. `expandRow(line, reached)` fills one row, counting the bytes it settled in
// `reached`, and returns false when the data ran out.
template <typename ExpandRow>
size_t ExpandRows(uint8_t* out, size_t rowBytes, size_t rows, ExpandRow expandRow) {
    if (rowBytes == 0)
        return 0;  // no bytes to fill (and `out` may be null)
    for (size_t row = 0; row < rows; ++row) {
        uint8_t* line = out + row * rowBytes;
        if (row > 0)
            std::memcpy(line, line - rowBytes, rowBytes);
        size_t reached = 0;
        if (!expandRow(line, reached))
            return row * rowBytes + reached;
    }
    return rows * rowBytes;
}

size_t ExpandScanLine(CByteReader& in, uint8_t* out, size_t rowBytes, size_t rows) {
    return ExpandRows(out, rowBytes, rows, [&](uint8_t* line, size_t& reached) {
        for (size_t x = 0; x < rowBytes; x += 8) {
            // One flag byte per 8 bytes of the row: a set bit brings a new byte.
            uint8_t changed;
            if (!in.Byte(changed))
                return false;
            const size_t group = std::min<size_t>(8, rowBytes - x);
            for (size_t k = 0; k < group; ++k, ++reached)
                if (changed & (0x80 >> k) && !in.Byte(line[x + k]))
                    return false;
        }
        return true;
    });
}

size_t ExpandRunLength(CByteReader& in, uint8_t* out, size_t rowBytes, size_t rows) {
    return ExpandRows(out, rowBytes, rows, [&](uint8_t* line, size_t& reached) {
        while (reached < rowBytes) {
            uint8_t count, value;
            if (!in.Byte(count) || !in.Byte(value))
                return false;
            // A run longer than the rest of the row ends with the row.
            const size_t run = std::min<size_t>(count, rowBytes - reached);
            std::memset(line + reached, value, run);
            reached += run;
        }
        return true;
    });
}

std::optional<size_t> ExpandPackBits(CByteReader& in, uint8_t* out, size_t size) {
    size_t pos = 0;
    while (pos < size) {
        uint8_t control;
        if (!in.Byte(control))
            return pos;
        const int c = static_cast<int8_t>(control);
        const size_t words = static_cast<size_t>(c < 0 ? 1 - c : c + 1);
        if (2 * words > size - pos)
            return std::nullopt;
        if (c < 0) {
            uint8_t high, low;
            if (!in.Byte(high) || !in.Byte(low))
                return pos;
            for (size_t i = 0; i < words; ++i, pos += 2) {
                out[pos] = high;
                out[pos + 1] = low;
            }
        } else {
            for (size_t i = 0; i < words; ++i, pos += 2)
                if (!in.Byte(out[pos]) || !in.Byte(out[pos + 1]))
                    return pos;
        }
    }
    return pos;
}

}  // namespace

uint32_t Rgb565(uint16_t word) {
    const unsigned red = word >> 11, green = (word >> 5) & 0x3F, blue = word & 0x1F;
    return Rgb(static_cast<uint8_t>(red << 3 | (red & 7)),
               static_cast<uint8_t>(green << 2 | (green & 3)),
               static_cast<uint8_t>(blue << 3 | (blue & 7)));
}

const std::array<uint32_t, 256>& SystemPalette(int pixelSize) {
    switch (pixelSize) {
        case 1:
            return kPalette1;
        case 2:
            return kPalette2;
        case 4:
            return kPalette4;
        case 8:
            return kPalette8;
        default:
            return kNoPalette;
    }
}

std::optional<CBitmapHeader> ReadBitmapHeader(const uint8_t* data, size_t size) {
    if (size < 16)
        return std::nullopt;
    CBitmapHeader h;
    h.width = ReadBE16(data);
    h.height = ReadBE16(data + 2);
    h.rowBytes = ReadBE16(data + 4);
    h.flags = ReadBE16(data + 6);
    h.pixelSize = data[8];
    h.version = data[9];
    h.transparentIndex = data[12];
    h.compression = data[13];
    if (h.version <= 2) {
        h.nextOffset = uint32_t(ReadBE16(data + 10)) * 4;
    } else if (h.version == 3) {
        h.headerSize = 24;
        if (size < h.headerSize)
            return std::nullopt;
        h.transparentValue = ReadBE32(data + 16);
        h.nextOffset = ReadBE32(data + 20);
    }
    // Later versions are listed but end the family: where they keep the next offset is unknown.
    return h;
}

std::vector<CFamilyBitmap> ListBitmapFamily(const uint8_t* data, size_t size) {
    std::vector<CFamilyBitmap> family;
    uint64_t pos = 0;
    while (pos < size) {
        while (IsMarker(data + pos, size - pos))
            pos += 16;
        const std::optional<CBitmapHeader> header = ReadBitmapHeader(data + pos, size - pos);
        if (!header)
            break;
        family.push_back({static_cast<size_t>(pos), *header});
        if (header->nextOffset == 0)
            break;
        pos += header->nextOffset;
    }
    return family;
}

namespace {

std::optional<CDecodedBitmap> Decode(const uint8_t* data, size_t size) {
    const std::optional<CBitmapHeader> header = ReadBitmapHeader(data, size);
    if (!header || header->version > 3)
        return std::nullopt;
    const CBitmapHeader& h = *header;
    if ((h.flags & kBitmapHasColourTable) && (h.flags & kBitmapDirectColour))
        return std::nullopt;
    const size_t pixelCount = size_t(h.width) * h.height;
    const size_t dataSize = size_t(h.rowBytes) * h.height;
    if (pixelCount > kMaxBitmapPixels || dataSize > kMaxBitmapDataBytes)
        return std::nullopt;
    // Version 0 has no pixel size field: it is always one bit deep.
    const int depth = h.version == 0 && h.pixelSize == 0 ? 1 : h.pixelSize;

    uint64_t pos = h.headerSize;
    std::array<uint32_t, 256> colours = SystemPalette(depth);
    if (h.flags & kBitmapHasColourTable) {
        colours.fill(0);
        const size_t count = pos + 2 <= size ? ReadBE16(data + pos) : 0;
        pos += 2;
        for (size_t i = 0; i < count && i < colours.size() && pos + 4 * i + 4 <= size; ++i) {
            const uint8_t* entry = data + pos + 4 * i;
            colours[i] = Rgb(entry[1], entry[2], entry[3]);
        }
        pos += 4 * uint64_t(count);
    }
    if (h.version <= 2 && (h.flags & kBitmapDirectColour))
        pos += 8;

    const uint8_t* pixels = data + std::min<uint64_t>(pos, size);
    size_t available = size - static_cast<size_t>(std::min<uint64_t>(pos, size));
    std::vector<uint8_t> expanded;
    if (h.flags & kBitmapCompressed) {
        // The compressed data's own size field is not needed: the bitmap's bytes bound it.
        const size_t sizeField = h.version == 3 ? 4 : 2;
        CByteReader in(pixels + std::min(sizeField, available),
                       available - std::min(sizeField, available));
        expanded.assign(dataSize, 0);
        std::optional<size_t> determined;
        // Before version 2 there is no compression type: compressed means scan-line.
        switch (h.version >= 2 ? h.compression : kCompressionScanLine) {
            case kCompressionScanLine:
                determined = ExpandScanLine(in, expanded.data(), h.rowBytes, h.height);
                break;
            case kCompressionRunLength:
                determined = ExpandRunLength(in, expanded.data(), h.rowBytes, h.height);
                break;
            case kCompressionPackBits:
                determined = ExpandPackBits(in, expanded.data(), expanded.size());
                break;
            default:
                return std::nullopt;
        }
        if (!determined)
            return std::nullopt;
        pixels = expanded.data();
        available = *determined;
    } else {
        available = std::min(available, dataSize);
    }

    CDecodedBitmap image;
    image.width = h.width;
    image.height = h.height;
    image.pixels.assign(pixelCount, 0);
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16 && depth != 24 &&
        depth != 32)
        return image;  // nothing this decoder can read: the image stays black
    const size_t pixelBytes = depth < 8 ? 1 : static_cast<size_t>(depth / 8);
    for (size_t y = 0; y < h.height; ++y) {
        uint32_t* out = image.pixels.data() + y * h.width;
        for (size_t x = 0; x < h.width; ++x) {
            const size_t address = y * h.rowBytes + x * static_cast<size_t>(depth) / 8;
            if (address + pixelBytes > available)
                continue;  // past the end of the data: stays black
            const uint8_t* p = pixels + address;
            switch (depth) {
                case 16:
                    out[x] = Rgb565(ReadBE16(p));
                    break;
                case 24:
                    out[x] = Rgb(p[0], p[1], p[2]);
                    break;
                case 32:
                    out[x] = Rgb(p[1], p[2], p[3]);
                    break;
                default: {
                    // Leftmost pixel in the highest bits.
                    const int shift = 8 - depth - static_cast<int>(x * depth % 8);
                    out[x] = colours[(*p >> shift) & ((1 << depth) - 1)];
                }
            }
        }
    }
    return image;
}

}  // namespace

std::optional<CDecodedBitmap> DecodeBitmap(const uint8_t* data, size_t size) {
    try {
        return Decode(data, size);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::optional<uint32_t> TransparentColour(const uint8_t* data, size_t size) {
    const std::optional<CBitmapHeader> header = ReadBitmapHeader(data, size);
    if (!header)
        return std::nullopt;
    const CBitmapHeader& h = *header;
    if (h.version == 2) {
        // The index always refers to the 8-bit system palette, whatever the bitmap's own depth
        // or colour table, and whether or not the bitmap is flagged as transparent.
        if (h.pixelSize <= 8)
            return kPalette8[h.transparentIndex];
        const bool direct = (h.flags & kBitmapDirectColour) && !(h.flags & kBitmapHasColourTable);
        // The direct-colour information follows the header: bit counts, a reserved byte, then
        // the transparent colour as index, red, green, blue.
        if (direct && size >= h.headerSize + 8)
            return Rgb(data[h.headerSize + 5], data[h.headerSize + 6], data[h.headerSize + 7]);
        return std::nullopt;
    }
    if (h.version == 3) {
        if (h.pixelSize > 8)
            return Rgb565(static_cast<uint16_t>(h.transparentValue));
        if (h.transparentValue < kPalette8.size())
            return kPalette8[h.transparentValue];
    }
    return std::nullopt;
}

std::vector<uint32_t> ArgbPixels(const CDecodedBitmap& image, std::optional<uint32_t> transparent) {
    std::vector<uint32_t> argb(image.pixels.size());
    std::transform(image.pixels.begin(), image.pixels.end(), argb.begin(), [&](uint32_t pixel) {
        return transparent && pixel == *transparent ? 0u : 0xFF000000u | pixel;
    });
    return argb;
}

}  // namespace tessarin
