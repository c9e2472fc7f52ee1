#pragma once

// Building a packed form with filler bytes drawn beforehand, so that forms can be built on any
// thread while the filler keeps the order of the items.
#include <array>
#include <cstddef>
#include <cstdint>

#include "store/items.h"

namespace tessarin {

using CFillerBytes = std::array<uint8_t, kFillerSize>;

// The filler of one packed form: every form ends in exactly kFillerSize of them.
inline CFillerBytes DrawFiller(CFillerSource& source) {
    CFillerBytes bytes;
    for (uint8_t& b : bytes)
        b = source.NextByte();
    return bytes;
}

// Writes the item's packed form over `out`, which holds item.PackedSize() bytes: texts, `filler`,
// checksum, then, when a key is given, encipherment from byte 22 on.
void PackItem(const CBaseItem& item, uint8_t* out, size_t size, const CFillerBytes& filler,
              const CKeySchedule* key);

}  // namespace tessarin
