#pragma once

// The numbering of the "Choose Icon" grid: positions in display order, eight to a row. Positions
// 0-63 are the built-in icons, filled column by column; the user's custom icons follow in list
// order.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tessarin {

inline constexpr int kIconGridColumns = 8;
inline constexpr int kIconGridRows = 8;
inline constexpr int kBuiltInIconCount = 64;
inline constexpr int kFirstCustomIconNumber = 256;

// The built-in icon shown at position p (0-63): (p / 8) + (p mod 8) * 8. The transposition is its
// own inverse, so it also gives the position of a built-in icon.
constexpr int BuiltInIconAt(int position) {
    return position / kIconGridColumns + (position % kIconGridColumns) * kIconGridColumns;
}

// The icon number at a position, given the resource ids of the custom icons in list order; none
// for a position past the last icon.
std::optional<int> IconAtPosition(int position, std::span<const uint16_t> customIds);

// The position that shows an icon number: built-in by the transposition, custom (256 + id) at 64 +
// the index of the first custom icon with that id. None when no position shows it.
std::optional<int> PositionOfIcon(int icon, std::span<const uint16_t> customIds);

// The scroll bar: the rows in all (8 for the built-in icons and one per started group of eight
// custom icons), the largest scroll position (rows less a page of 8), and the scroll position that
// shows a position (unchanged when it is already in view from `current`).
int IconGridRows(size_t customCount);
int IconGridMaxScroll(size_t customCount);
int IconGridScrollToShow(int position, int current);

}  // namespace tessarin
