// The bitmap decoder on any bytes: the family walk, decoding, the transparent colour.
#include <cstddef>
#include <cstdint>

#include "store/palm_bitmap.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const CFamilyBitmap& bitmap : ListBitmapFamily(data, size))
        if (bitmap.offset + bitmap.header.headerSize > size)
            __builtin_trap();
    if (const auto image = DecodeBitmap(data, size)) {
        if (image->pixels.size() != size_t(image->width) * size_t(image->height))
            __builtin_trap();
        if (ArgbPixels(*image, TransparentColour(data, size)).size() != image->pixels.size())
            __builtin_trap();
    } else {
        (void)TransparentColour(data, size);
    }
    return 0;
}
