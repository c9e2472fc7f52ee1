#include "ui/show_columns_dialog.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "ui/ui_text.h"

namespace tessarin {

CShowColumnsDialog::CShowColumnsDialog(
    const CStringTable& strings, const CColumnLayout& layout,
    const std::array<std::optional<std::string>, kFieldCount>& fieldTitles, QWidget* parent)
    : CDialogBase(strings, str::kShowColumnsTitle, parent), m_layout(layout) {
    auto* column = new QVBoxLayout(this);
    for (int c = kTypeColumn; c <= kNoteColumn; ++c) {
        QString title;
        if (c == kTypeColumn)
            title = UiText(strings, str::kShowTypeColumn);
        else if (c == kCategoryColumn)
            title = UiText(strings, str::kShowCategoryColumn);
        else if (c == kNoteColumn)
            title = UiText(strings, str::kShowNoteColumn);
        else if (const auto& own = fieldTitles[static_cast<size_t>(c - kFirstFieldColumn)])
            title = Cp1252ToQString(*own);
        else
            title = UiText(strings, str::kShowFieldColumn1 + (c - kFirstFieldColumn));
        auto* box = new QCheckBox(title, this);
        box->setChecked(layout.entries[static_cast<size_t>(c)].visible != 0);
        column->addWidget(box);
        m_boxes[static_cast<size_t>(c)] = box;
    }
    column->addWidget(OkButtons());
}

CColumnLayout CShowColumnsDialog::Layout() const {
    CColumnLayout layout = m_layout;
    // The icon column has no box and keeps its visibility.
    for (int c = kTypeColumn; c <= kNoteColumn; ++c)
        layout.entries[static_cast<size_t>(c)].visible =
            m_boxes[static_cast<size_t>(c)]->isChecked() ? 1 : 0;
    return layout;
}

QCheckBox* CShowColumnsDialog::Box(int column) const {
    if (column < kTypeColumn || column > kNoteColumn)
        return nullptr;
    return m_boxes[static_cast<size_t>(column)];
}

}  // namespace tessarin
