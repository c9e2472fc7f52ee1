#include "ui/customize_record_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/record_edits.h"
#include "ui/cp1252_edits.h"
#include "ui/dialog_parts.h"
#include "ui/ui_text.h"

namespace tessarin {

CCustomizeRecordDialog::CCustomizeRecordDialog(const CStringTable& strings,
                                               const CLabelTexts& labels, uint16_t mask,
                                               const CLabelTexts& typeLabels, uint16_t typeMask,
                                               QWidget* parent)
    : QDialog(parent), m_typeLabels(typeLabels), m_typeMask(typeMask) {
    setWindowTitle(UiText(strings, str::kCustomizeRecordTitle));
    auto* layout = new QGridLayout(this);
    for (int i = 0; i < kFieldCount; ++i) {
        m_labels[i] = new CCp1252LineEdit(strings, static_cast<int>(kMaxNameLength), this);
        const QString name = UiText(strings, str::kFieldLabelN, {std::to_string(i + 1)});
        layout->addWidget(BuddyLabel(name, m_labels[i], this), i, 0);
        layout->addWidget(m_labels[i], i, 1);
        m_masks[i] = new QCheckBox(UiText(strings, str::kMaskCheck), this);
        m_masks[i]->setAccessibleName(
            UiText(strings, str::kMaskCheckName, {ToMessageText(AccessibleNameOf(name))}));
        layout->addWidget(m_masks[i], i, 2);
    }
    QDialogButtonBox* box = OkCancelButtons(strings, this);
    QPushButton* reset = TextButton(strings, str::kResetButton, this);
    box->addButton(reset, QDialogButtonBox::ResetRole);
    connect(reset, &QPushButton::clicked, this, &CCustomizeRecordDialog::Reset);
    layout->addWidget(NoticeLine(strings, this), kFieldCount, 0, 1, 3);
    layout->addWidget(box, kFieldCount + 1, 0, 1, 3);
    Show(labels, mask);
}

void CCustomizeRecordDialog::Show(const CLabelTexts& labels, uint16_t mask) {
    for (int i = 0; i < kFieldCount; ++i) {
        m_labels[i]->SetStoredText(Cp1252ToQString(WithoutTrailingColon(labels[i])));
        m_masks[i]->setChecked(mask >> i & 1);
    }
}

void CCustomizeRecordDialog::Reset() {
    Show(m_typeLabels, m_typeMask);
}

CLabelTexts CCustomizeRecordDialog::Labels() const {
    CLabelTexts labels;
    for (int i = 0; i < kFieldCount; ++i)
        labels[i] = EditBytes(m_labels[i]->text());
    return labels;
}

uint16_t CCustomizeRecordDialog::Mask() const {
    uint16_t mask = 0;
    for (int i = 0; i < kFieldCount; ++i)
        if (m_masks[i]->isChecked())
            mask |= static_cast<uint16_t>(1u << i);
    return mask;
}

}  // namespace tessarin
