#pragma once

// Where the record view's controls stand in its client area, from its size, the details pane's
// width and whether the pane is shown; and how the splitter moves the pane.
#include <optional>

#include <QRect>
#include <QSize>

namespace tessarin {

struct CViewGeometry {
    QRect typesLabel;
    QRect typeCombo;  // its top and width; the height is the combo's own
    QRect categoryLabel;
    QRect categoryCombo;
    QRect maskButton;
    QRect searchField;  // between the category chooser and the Mask button; empty when too narrow
    QRect list;
    QRect pane;  // the details pane, its splitter grip included
    QRect newButton;
    QRect editButton;
    QRect deleteButton;
    QRect duplicateButton;
    QRect syncButton;
};

inline constexpr int kDefaultPaneWidth = 250;
inline constexpr int kGripWidth = 11;

// The labels keep their places and widths unless their texts need more room (a larger font, a
// translation); the controls after them then move right by as much. The pane is shown no wider
// than the splitter could make it in this window.
CViewGeometry ViewGeometry(QSize client, int paneWidth, bool showDetails, int comboHeight,
                           int typesLabelText = 0, int categoryLabelText = 0);

// The pane width a splitter drag to x (client coordinates) gives: the width right of x, when x
// lies more than 150 pixels from the left edge and more than 30 from the right; else none.
std::optional<int> PaneWidthForDrag(int x, int clientWidth);

}  // namespace tessarin
