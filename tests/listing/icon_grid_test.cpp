// The "Choose Icon" grid's numbering, both ways, and its scroll rows.
#include <gtest/gtest.h>

#include <vector>

#include "listing/icon_grid.h"

namespace tessarin {
namespace {

TEST(IconGrid, NumberingBothWays) {
    const std::vector<uint16_t> custom = {1000, 7, 1000, 3};
    struct Case {
        int position;
        std::optional<int> icon;
    } cases[] = {
        {0, 0},
        {1, 8},
        {7, 56},
        {8, 1},
        {9, 9},
        {15, 57},
        {62, 55},
        {63, 63},
        {64, 1256},
        {65, 263},
        {67, 259},
        {68, std::nullopt},
        {-1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(IconAtPosition(c.position, custom), c.icon);
        if (c.icon && c.position != 66) {  // 66 repeats id 1000: the first one is found
            EXPECT_EQ(PositionOfIcon(*c.icon, custom), c.position);
        }
    }
    EXPECT_EQ(PositionOfIcon(1256, custom), 64);
    EXPECT_EQ(PositionOfIcon(64, custom), std::nullopt);
    EXPECT_EQ(PositionOfIcon(255, custom), std::nullopt);
    EXPECT_EQ(PositionOfIcon(256 + 5, custom), std::nullopt);
    for (int p = 0; p < 64; ++p)
        EXPECT_EQ(BuiltInIconAt(BuiltInIconAt(p)), p);
}

TEST(IconGrid, ScrollRowsAndShowingAPosition) {
    EXPECT_EQ(IconGridRows(0), 8);
    EXPECT_EQ(IconGridMaxScroll(0), 0);
    EXPECT_EQ(IconGridRows(1), 9);
    EXPECT_EQ(IconGridRows(8), 9);
    EXPECT_EQ(IconGridRows(9), 10);
    EXPECT_EQ(IconGridMaxScroll(17), 3);
    EXPECT_EQ(IconGridScrollToShow(10, 0), 0);
    EXPECT_EQ(IconGridScrollToShow(64, 0), 1);
    EXPECT_EQ(IconGridScrollToShow(85, 0), 3);
    EXPECT_EQ(IconGridScrollToShow(3, 2), 0);
    EXPECT_EQ(IconGridScrollToShow(70, 2), 2);
}

}  // namespace
}  // namespace tessarin
