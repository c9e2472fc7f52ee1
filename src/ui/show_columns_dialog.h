#pragma once

// "Show Columns": a check box for each column but the icon column, saying whether the list shows
// it. The field boxes carry the labels of the type the list shows, where it has them.
#include <array>
#include <optional>
#include <string>

#include "ui/dialog_base.h"

#include "listing/list_columns.h"

class QCheckBox;

namespace tessarin {

class CStringTable;

class CShowColumnsDialog : public CDialogBase {
    Q_OBJECT
public:
    // `fieldTitles[i]`: the title of field i+1's box, when it is not "Show Column i+1".
    CShowColumnsDialog(const CStringTable& strings, const CColumnLayout& layout,
                       const std::array<std::optional<std::string>, kFieldCount>& fieldTitles,
                       QWidget* parent);

    // The layout with each box written back as its column's visible flag.
    CColumnLayout Layout() const;
    // The box of a column (1-9), or none.
    QCheckBox* Box(int column) const;

private:
    CColumnLayout m_layout;
    std::array<QCheckBox*, kColumnCount> m_boxes{};
};

}  // namespace tessarin
