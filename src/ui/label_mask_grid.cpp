#include "ui/label_mask_grid.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/record_edits.h"
#include "ui/cp1252_edits.h"
#include "ui/dialog_base.h"
#include "ui/ui_text.h"

namespace tessarin {

CLabelMaskGrid::CLabelMaskGrid(const CStringTable& strings, QWidget* dialog, QGridLayout* layout,
                               int firstRow) {
    for (int i = 0; i < kFieldCount; ++i) {
        m_labels[i] = new CCp1252LineEdit(strings, static_cast<int>(kMaxNameLength), dialog);
        const QString name = UiText(strings, str::kFieldLabelN, {std::to_string(i + 1)});
        layout->addWidget(BuddyLabel(name, m_labels[i], dialog), firstRow + i, 0);
        layout->addWidget(m_labels[i], firstRow + i, 1);
        m_masks[i] = new QCheckBox(UiText(strings, str::kMaskCheck), dialog);
        m_masks[i]->setAccessibleName(
            UiText(strings, str::kMaskCheckName, {QStringToCp1252(AccessibleNameOf(name))}));
        layout->addWidget(m_masks[i], firstRow + i, 2);
    }
}

void CLabelMaskGrid::Show(const CLabelTexts& labels, uint16_t mask) {
    for (int i = 0; i < kFieldCount; ++i) {
        m_labels[i]->SetStoredText(Cp1252ToQString(labels[i]));
        m_masks[i]->setChecked(mask >> i & 1);
    }
}

CLabelTexts CLabelMaskGrid::Labels() const {
    CLabelTexts labels;
    for (int i = 0; i < kFieldCount; ++i)
        labels[i] = QStringToCp1252(m_labels[i]->text());
    return labels;
}

uint16_t CLabelMaskGrid::Mask() const {
    uint16_t mask = 0;
    for (int i = 0; i < kFieldCount; ++i)
        if (m_masks[i]->isChecked())
            mask |= static_cast<uint16_t>(1u << i);
    return mask;
}

}  // namespace tessarin
