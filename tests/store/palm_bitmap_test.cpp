#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/palm_bitmap.h"
#include "support/palm_files.h"

namespace tessarin {
namespace {

using Bytes = std::vector<uint8_t>;
using Pixels = std::vector<uint32_t>;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

using test::Concat;

std::optional<CDecodedBitmap> Decode(const Bytes& bytes) {
    return DecodeBitmap(bytes.data(), bytes.size());
}

struct CPixelCase {
    std::string what;
    Bytes bytes;
    int width;
    int height;
    Pixels pixels;
};

void ExpectPixels(const CPixelCase& c) {
    const std::optional<CDecodedBitmap> image = Decode(c.bytes);
    ASSERT_TRUE(image) << c.what;
    EXPECT_EQ(image->width, c.width) << c.what;
    EXPECT_EQ(image->height, c.height) << c.what;
    EXPECT_EQ(image->pixels, c.pixels) << c.what;
}

// Headers of versions 0-2: width, height, row bytes, flags, pixel size, version, next offset,
// transparent index, compression type, reserved.
// Version 3 adds: header size, pixel format, unused, compression type, density, transparent
// value (4 bytes), next offset (4 bytes).

TEST(PalmBitmap, EveryDepthWithAndWithoutColourTable) {
    const CPixelCase cases[] = {
        {"1 bit, system palette",
         {0, 4, 0, 2, 0, 2, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x50, 0x00},
         4,
         2,
         {kBlack, kWhite, kBlack, kWhite, kWhite, kBlack, kWhite, kBlack}},
        {"version 0 keeps no pixel size: one bit",
         {0, 4, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00},
         4,
         1,
         {kBlack, kWhite, kBlack, kWhite}},
        {"2 bits, system palette",
         {0, 4, 0, 1, 0, 2, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0x1B, 0x00},
         4,
         1,
         {kWhite, 0xAAAAAA, 0x555555, kBlack}},
        {"4 bits, system palette",
         {0, 4, 0, 1, 0, 2, 0, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0x0F, 0x5A},
         4,
         1,
         {kWhite, kBlack, 0xAAAAAA, 0x555555}},
        {"8 bits, system palette",
         {0, 8, 0, 1, 0, 8, 0, 0, 8, 2, 0, 0, 0, 0, 0, 0, 0, 1, 108, 214, 215, 225, 229, 230},
         8,
         1,
         {kWhite, 0xFFCCFF, 0xFFFF66, 0x003300, 0x111111, 0xC0C0C0, 0x008080, kBlack}},
        {"1 bit, own colour table",
         {0,    2,   0, 1,    0, 2, 0x40, 0, 1, 1,    0, 0, 0, 0, 0, 0,  // header
          0,    2,   0, 0xFF, 0, 0, 1,    0, 0, 0xFF,                    // two entries: red, blue
          0x40, 0x00},
         2,
         1,
         {0xFF0000, 0x0000FF}},
        {"8 bits, own colour table; an index past it is black",
         {0, 3, 0, 1,    0,    4,    0x40, 0,    8,    2,    0, 0, 0, 0, 0, 0,  // header
          0, 2, 0, 0x12, 0x34, 0x56, 1,    0xAB, 0xCD, 0xEF,                    // two entries
          1, 0, 5, 0},
         3,
         1,
         {0xABCDEF, 0x123456, kBlack}},
        {"16 bits, version 2 with direct-colour information",
         {0,    2,    0,    1,   0, 4,    0x04, 0,    16, 2, 0, 0, 0, 0, 0, 0,  // header
          5,    6,    5,    0,   0, 0x12, 0x34, 0x56,  // direct-colour information
          0xFF, 0xFF, 0x08, 0x21},
         2,
         1,
         {kWhite, 0x090509}},
        {"16 bits, version 3",
         {0,    2,    0,    1,   0, 4, 0x04, 0, 16, 3, 24, 1,
          0,    0,    0,    72,  0, 0, 0,    0, 0,  0, 0,  0,  // header
          0xF8, 0x00, 0x07, 0xE0},
         2,
         1,
         {0xFF0000, 0x00FF00}},
        {"24 bits, version 3",
         {0,    1,    0,    1,  0, 4, 0x04, 0, 24, 3, 24, 0,
          0,    0,    0,    72, 0, 0, 0,    0, 0,  0, 0,  0,  // header
          0x12, 0x34, 0x56, 0},
         1,
         1,
         {0x123456}},
        {"32 bits, version 3: the first byte is skipped",
         {0,    1,    0,    1,   0, 4, 0x04, 0, 32, 3, 24, 0,
          0,    0,    0,    72,  0, 0, 0,    0, 0,  0, 0,  0,  // header
          0xEE, 0x12, 0x34, 0x56},
         1,
         1,
         {0x123456}},
        {"a pixel size this format does not have stays black",
         {0, 2, 0, 1, 0, 2, 0, 0, 3, 1, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF},
         2,
         1,
         {kBlack, kBlack}},
    };
    for (const CPixelCase& c : cases)
        ExpectPixels(c);
}

TEST(PalmBitmap, SystemPalettes) {
    // Index i of the 4-bit greys is 0xFF - 0x11 i.
    for (int i = 0; i < 16; ++i) {
        const auto grey = static_cast<uint8_t>(0xFF - 0x11 * i);
        EXPECT_EQ(SystemPalette(4)[static_cast<size_t>(i)], Rgb(grey, grey, grey));
    }
    const auto& p8 = SystemPalette(8);
    EXPECT_EQ(p8[1], Rgb(0xFF, 0xCC, 0xFF));
    EXPECT_EQ(p8[17], Rgb(0xFF, 0x00, 0x99));
    EXPECT_EQ(p8[18], Rgb(0xCC, 0xFF, 0xFF));
    EXPECT_EQ(p8[107], Rgb(0x00, 0x00, 0x99));
    EXPECT_EQ(p8[213], Rgb(0x00, 0x66, 0x00));
    EXPECT_EQ(p8[224], Rgb(0xEE, 0xEE, 0xEE));
    EXPECT_EQ(p8[226], Rgb(0x80, 0, 0));
    EXPECT_EQ(p8[227], Rgb(0x80, 0, 0x80));
    EXPECT_EQ(p8[228], Rgb(0, 0x80, 0));
    for (size_t i = 230; i < 256; ++i)
        EXPECT_EQ(p8[i], kBlack) << i;
    // The colour cube's black is left out: no entry before the greys is black.
    for (size_t i = 0; i < 215; ++i)
        EXPECT_NE(p8[i], kBlack) << i;
}

TEST(PalmBitmap, SixteenBitChannelsRepeatTheirLowBits) {
    EXPECT_EQ(Rgb565(0xFFFF), kWhite);
    EXPECT_EQ(Rgb565(0x0821), Rgb(9, 5, 9));
    EXPECT_EQ(Rgb565(0x0000), kBlack);
}

// One 8-bit 10x3 image (row bytes 10), stored every way the format allows.
const Bytes kReferenceIndexes = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 5,  //
    1, 2, 1, 1, 1, 1, 1, 1, 1, 5,  //
    1, 2, 1, 1, 1, 1, 1, 1, 3, 5,
};

Pixels ReferencePixels(size_t determinedPixels = 30) {
    Pixels pixels(30, kBlack);
    for (size_t i = 0; i < determinedPixels; ++i)
        pixels[i] = SystemPalette(8)[kReferenceIndexes[i]];
    return pixels;
}

const Bytes kScanLineData = {0xFF, 1,    1,    1, 1, 1, 1, 1, 1, 0xC0, 1, 5,  // row 0: 8 + 2 bytes
                             0x40, 2,    0x00,         // row 1: one byte changes
                             0x00, 0x80, 3};           // row 2: one byte changes
const Bytes kRunLengthData = {9, 1, 1, 5,              //
                              1, 1, 1, 2, 7, 1, 1, 5,  //
                              1, 1, 1, 2, 6, 1, 1, 3, 1, 5};
const Bytes kPackBitsData = {0xFD, 1, 1, 0x01, 1, 5,    1, 2, 0xFE, 1, 1,  //
                             0x01, 1, 5, 1,    2, 0xFE, 1, 1, 0x00, 3, 5};

Bytes Header2(uint8_t version, uint8_t compression, uint16_t flags) {
    return {0, 10, 0, 3,           0, 10, uint8_t(flags >> 8), uint8_t(flags), 8, version,
            0, 0,  0, compression, 0, 0};
}
Bytes Header3(uint8_t compression, uint16_t flags) {
    return {0,
            10,
            0,
            3,
            0,
            10,
            uint8_t(flags >> 8),
            uint8_t(flags),
            8,
            3,
            24,
            0,
            0,
            compression,
            0,
            72,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0};
}
// The compressed data's size, counting itself.
Bytes Size2(const Bytes& data) {
    return {uint8_t((data.size() + 2) >> 8), uint8_t(data.size() + 2)};
}
Bytes Size4(const Bytes& data) {
    return {0, 0, uint8_t((data.size() + 4) >> 8), uint8_t(data.size() + 4)};
}

TEST(PalmBitmap, EveryCompressionOfEveryVersionGivesTheSameImage) {
    const CPixelCase cases[] = {
        {"uncompressed", Concat({Header2(2, 0, 0), kReferenceIndexes}), 10, 3, ReferencePixels()},
        {"scan-line, version 1: the type field is not looked at",
         Concat({Header2(1, 2, 0x8000), Size2(kScanLineData), kScanLineData}), 10, 3,
         ReferencePixels()},
        {"scan-line, version 2",
         Concat({Header2(2, 0, 0x8000), Size2(kScanLineData), kScanLineData}), 10, 3,
         ReferencePixels()},
        {"run-length, version 2",
         Concat({Header2(2, 1, 0x8000), Size2(kRunLengthData), kRunLengthData}), 10, 3,
         ReferencePixels()},
        {"pack-bits, version 2",
         Concat({Header2(2, 2, 0x8000), Size2(kPackBitsData), kPackBitsData}), 10, 3,
         ReferencePixels()},
        {"scan-line, version 3", Concat({Header3(0, 0x8000), Size4(kScanLineData), kScanLineData}),
         10, 3, ReferencePixels()},
        {"run-length, version 3",
         Concat({Header3(1, 0x8000), Size4(kRunLengthData), kRunLengthData}), 10, 3,
         ReferencePixels()},
        {"pack-bits, version 3", Concat({Header3(2, 0x8000), Size4(kPackBitsData), kPackBitsData}),
         10, 3, ReferencePixels()},
        // Damaged data: what the data determined is drawn, the rest stays black.
        {"uncompressed data ending early",
         Concat({Header2(2, 0, 0), Bytes(kReferenceIndexes.begin(), kReferenceIndexes.end() - 3)}),
         10, 3, ReferencePixels(27)},
        {"scan-line data ending in row 1",
         Concat({Header2(2, 0, 0x8000), Size2({}),
                 Bytes(kScanLineData.begin(), kScanLineData.begin() + 14)}),
         10, 3, ReferencePixels(18)},
        {"run-length data ending in row 0", Concat({Header2(2, 1, 0x8000), Size2({}), Bytes{9, 1}}),
         10, 3, ReferencePixels(9)},
        {"a run longer than its row ends with the row",
         Concat({Header2(2, 1, 0x8000), Size2({}), Bytes{200, 1}}), 10, 3,
         Concat({Pixels(10, SystemPalette(8)[1]), Pixels(20, kBlack)})},
        {"pack-bits data ending after two groups",
         Concat({Header2(2, 2, 0x8000), Size2({}),
                 Bytes(kPackBitsData.begin(), kPackBitsData.begin() + 8)}),
         10, 3, ReferencePixels(12)},
        {"compressed rows of no bytes",
         {0, 10, 0, 3, 0, 0, 0x80, 0, 8, 2, 0, 0, 0, 1, 0, 0, 0, 4, 9, 1},
         10,
         3,
         Pixels(30, kBlack)},
        {"compressed data missing altogether", Concat({Header2(2, 1, 0x8000), Bytes{0}}), 10, 3,
         Pixels(30, kBlack)},
        {"a colour table reaching past the end",
         {0, 2, 0, 1, 0, 2, 0x40, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0xFF, 0, 0},
         2,
         1,
         {kBlack, kBlack}},
        {"rows narrower than the width read no further than the data",
         {0, 4, 0, 2, 0, 1, 0, 0, 8, 2, 0, 0, 0, 0, 0, 0, 225, 215},
         4,
         2,
         {0xC0C0C0, 0x111111, kBlack, kBlack, 0x111111, kBlack, kBlack, kBlack}},
    };
    for (const CPixelCase& c : cases)
        ExpectPixels(c);
}

TEST(PalmBitmap, PackBitsRunsOf129WordsAndOverruns) {
    // Control byte -128 repeats its word 129 times: exactly a 16-bit row of 129 pixels.
    const Bytes header = {0, 129, 0, 1, 1, 2, 0x84, 0, 16, 2, 0, 0, 0, 2, 0, 0};
    const Bytes direct = {5, 6, 5, 0, 0, 0, 0, 0};
    const Bytes data = {0, 5, 0x80, 0xFF, 0xFF};
    ExpectPixels({"-128", Concat({header, direct, data}), 129, 1, Pixels(129, kWhite)});

    // One pixel fewer: the run would write past the end of the image.
    const Bytes narrower = {0, 128, 0, 1, 1, 0, 0x84, 0, 16, 2, 0, 0, 0, 2, 0, 0};
    EXPECT_FALSE(Decode(Concat({narrower, direct, data})));
    // So would a literal group.
    EXPECT_FALSE(Decode(Concat({Header2(2, 2, 0x8000), Bytes{0, 4, 0x0F}})));
}

TEST(PalmBitmap, UndecodableBitmapsFail) {
    const struct {
        std::string what;
        Bytes bytes;
    } cases[] = {
        {"fewer than 16 bytes", {0, 1, 0, 1, 0, 2, 0, 0, 1, 1, 0, 0, 0, 0, 0}},
        {"version 4", {0, 1, 0, 1, 0, 2, 0, 0, 1, 4, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"colour table and direct colour", {0, 1, 0, 1, 0, 2, 0x44, 0, 16, 2, 0, 0, 0, 0, 0, 0}},
        {"version 3 with a short header",
         {0, 1, 0, 1, 0, 2, 0, 0, 16, 3, 24, 0, 0, 0, 0, 72, 0, 0, 0, 0}},
        {"unknown compression type",
         {0, 1, 0, 1, 0, 2, 0x80, 0, 8, 2, 0, 0, 0, 3, 0, 0, 0, 4, 1, 1}},
        {"more pixels than any icon has",
         {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0}},
        {"more compressed data than any icon has",
         {0, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 8, 2, 0, 0, 0, 1, 0, 0, 0, 4, 1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(Decode(c.bytes)) << c.what;

    // The limits leave room for any screen-sized bitmap: 1024x1024 at 32 bits decodes.
    const Bytes largest = {4, 0, 4, 0,  16, 0, 0x04, 0, 32, 3, 24, 0,
                           0, 0, 0, 72, 0,  0, 0,    0, 0,  0, 0,  0};
    EXPECT_TRUE(Decode(largest));
    Bytes taller = largest;
    taller[3] = 1;
    EXPECT_FALSE(Decode(taller));
}

TEST(PalmBitmap, TransparentColour) {
    const struct {
        std::string what;
        Bytes bytes;
        std::optional<uint32_t> colour;
    } cases[] = {
        {"version 2, 8 bits, index 0 without the transparency flag",
         {0, 1, 0, 1, 0, 2, 0, 0, 8, 2, 0, 0, 0, 0, 0, 0},
         kWhite},
        {"version 2, 4 bits: the index is into the 8-bit palette",
         {0, 1, 0, 1, 0, 2, 0x20, 0, 4, 2, 0, 0, 15, 0, 0, 0},
         Rgb(0xFF, 0x66, 0x99)},
        {"version 2, 16 bits with direct-colour information",
         {0, 1, 0, 1, 0, 2, 0x24, 0, 16, 2, 0, 0, 0, 0, 0, 0, 5, 6, 5, 0, 0, 0x12, 0x34, 0x56},
         0x123456},
        {"version 2, 16 bits with the direct-colour information cut off",
         {0, 1, 0, 1, 0, 2, 0x24, 0, 16, 2, 0, 0, 0, 0, 0, 0, 5, 6, 5, 0, 0, 0x12},
         std::nullopt},
        {"version 2, 16 bits without direct colour",
         {0, 1, 0, 1, 0, 2, 0x20, 0, 16, 2, 0, 0, 0, 0, 0, 0},
         std::nullopt},
        {"version 3, 16 bits: a 5-6-5 value",
         {0, 1, 0, 1, 0, 2, 0x20, 0, 16, 3, 24, 1, 0, 0, 0, 72, 0xAB, 0xCD, 0x08, 0x21, 0, 0, 0, 0},
         Rgb(9, 5, 9)},
        {"version 3, 8 bits: an 8-bit palette index",
         {0, 1, 0, 1, 0, 2, 0x20, 0, 8, 3, 24, 0, 0, 0, 0, 72, 0, 0, 0, 225, 0, 0, 0, 0},
         0xC0C0C0},
        {"version 3, 8 bits: a value past the palette",
         {0, 1, 0, 1, 0, 2, 0x20, 0, 8, 3, 24, 0, 0, 0, 0, 72, 0, 0, 1, 0, 0, 0, 0, 0},
         std::nullopt},
        {"version 1", {0, 1, 0, 1, 0, 2, 0x20, 0, 8, 1, 0, 0, 0, 0, 0, 0}, std::nullopt},
        {"version 0", {0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
        {"too short", {0, 1, 0, 1, 0, 2, 0, 0, 8, 2}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TransparentColour(c.bytes.data(), c.bytes.size()), c.colour) << c.what;
}

TEST(PalmBitmap, TheTransparentColourBecomesFullyTransparent) {
    // 8 bits, transparent index 0 and no transparency flag: the white pixel is left out.
    const Bytes bitmap = {0, 3, 0, 1, 0, 4, 0, 0, 8, 2, 0, 0, 0, 0, 0, 0, 0, 230, 225, 0};
    const std::optional<CDecodedBitmap> image = Decode(bitmap);
    ASSERT_TRUE(image);
    const std::optional<uint32_t> transparent = TransparentColour(bitmap.data(), bitmap.size());
    EXPECT_EQ(ArgbPixels(*image, transparent), Pixels({0x00000000, 0xFF000000, 0xFFC0C0C0}));
    EXPECT_EQ(ArgbPixels(*image, std::nullopt), Pixels({0xFFFFFFFF, 0xFF000000, 0xFFC0C0C0}));
}

}  // namespace
}  // namespace tessarin
