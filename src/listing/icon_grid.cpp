#include "listing/icon_grid.h"

namespace tessarin {

std::optional<int> IconAtPosition(int position, std::span<const uint16_t> customIds) {
    if (position < 0)
        return std::nullopt;
    if (position < kBuiltInIconCount)
        return BuiltInIconAt(position);
    const size_t index = static_cast<size_t>(position - kBuiltInIconCount);
    if (index >= customIds.size())
        return std::nullopt;
    return kFirstCustomIconNumber + customIds[index];
}

std::optional<int> PositionOfIcon(int icon, std::span<const uint16_t> customIds) {
    if (icon >= 0 && icon < kBuiltInIconCount)
        return BuiltInIconAt(icon);
    if (icon < kFirstCustomIconNumber)
        return std::nullopt;
    for (size_t i = 0; i < customIds.size(); ++i)
        if (customIds[i] == icon - kFirstCustomIconNumber)
            return kBuiltInIconCount + static_cast<int>(i);
    return std::nullopt;
}

int IconGridRows(size_t customCount) {
    return kIconGridRows +
           static_cast<int>((customCount + kIconGridColumns - 1) / kIconGridColumns);
}

int IconGridMaxScroll(size_t customCount) {
    return IconGridRows(customCount) - kIconGridRows;
}

int IconGridScrollToShow(int position, int current) {
    const int row = position / kIconGridColumns;
    if (row < current)
        return row;
    if (row >= current + kIconGridRows)
        return row - kIconGridRows + 1;
    return current;
}

}  // namespace tessarin
