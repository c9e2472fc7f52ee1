#pragma once

// The 8-byte key that identifies a type or a category; inside a record it names the record's type
// and category. Keys are only compared for equality.
#include <array>
#include <cstdint>
#include <string>

namespace tessarin {

struct ItemKey {
    std::array<uint8_t, 8> bytes{};

    static constexpr ItemKey BuiltIn(uint8_t number) { return {{0, 0, 0, 0, 0, 0, 0, number}}; }

    constexpr bool IsZero() const {
        for (uint8_t b : bytes)
            if (b)
                return false;
        return true;
    }
    // Bytes 0-6 zero: a built-in type or category, whatever byte 7 holds.
    constexpr bool IsBuiltIn() const {
        for (int i = 0; i < 7; ++i)
            if (bytes[i])
                return false;
        return true;
    }
    std::string Hex() const;

    friend constexpr bool operator==(const ItemKey&, const ItemKey&) = default;
};

// No type or no category: the record is unfiled in that respect.
inline constexpr ItemKey ZeroKey{};
// In a filter: all types, or all categories.
inline constexpr ItemKey AnyKey{{0, 0, 0, 0, 0, 0, 0xFF, 0xFF}};
// Marks the "Edit Types..." and "Edit Categories..." entries of the filter choosers.
inline constexpr ItemKey EditListKey{{0, 0, 0, 0, 0, 0, 0xFF, 0xFE}};

}  // namespace tessarin
