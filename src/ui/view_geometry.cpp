#include "ui/view_geometry.h"

#include <algorithm>

namespace tessarin {

namespace {

// From left, top, right and bottom edges, the right and bottom ones outside the rectangle.
QRect Edges(int left, int top, int right, int bottom) {
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

}  // namespace

CViewGeometry ViewGeometry(QSize client, int paneWidth, bool showDetails, int comboHeight,
                           int typesLabelText, int categoryLabelText) {
    const int w = client.width();
    const int h = client.height();
    // A stored width the window cannot hold (a damaged preference, a smaller screen) is shown
    // within the splitter's own limits, so the grip stays where it can be reached.
    if (w - 151 >= 31)
        paneWidth = std::clamp(paneWidth, 31, w - 151);
    CViewGeometry g;
    const int typesRight = std::max(42, 7 + typesLabelText);
    g.typesLabel = Edges(7, 8, typesRight, 24);
    g.typeCombo = Edges(typesRight + 4, 4, typesRight + 144, 4 + comboHeight);
    const int categoryLeft = typesRight + 158;
    const int categoryRight = std::max(categoryLeft + 50, categoryLeft + categoryLabelText);
    g.categoryLabel = Edges(categoryLeft, 8, categoryRight, 24);
    g.categoryCombo = Edges(categoryRight + 4, 4, categoryRight + 144, 4 + comboHeight);
    g.maskButton = Edges(w - 83, 3, w - 3, 25);
    // The search field takes the room the strip has left, when it is enough to type in.
    constexpr int kSearchMinWidth = 100;
    const int searchLeft = categoryRight + 156;
    const int searchRight = w - 91;
    if (searchRight - searchLeft >= kSearchMinWidth)
        g.searchField = Edges(searchLeft, 4, searchRight, 4 + comboHeight);
    g.list = Edges(5, 30, showDetails ? w - paneWidth : w - 5, h - 30);
    g.pane = showDetails ? Edges(w - paneWidth, 29, w, h - 29) : QRect();
    const int top = h - 25;
    const int bottom = h - 3;
    g.newButton = Edges(3, top, 63, bottom);
    g.editButton = Edges(67, top, 132, bottom);
    g.deleteButton = Edges(136, top, 196, bottom);
    g.duplicateButton = Edges(200, top, 290, bottom);
    g.syncButton = Edges(w - 65, top, w - 5, bottom);
    return g;
}

std::optional<int> PaneWidthForDrag(int x, int clientWidth) {
    if (x > 150 && x < clientWidth - 30)
        return clientWidth - x;
    return std::nullopt;
}

}  // namespace tessarin
