#include "ui/customize_record_dialog.h"

#include <QGridLayout>
#include <QPushButton>

#include "resources/string_ids.h"
#include "store/record_edits.h"
#include "ui/cp1252_edits.h"

namespace tessarin {

CCustomizeRecordDialog::CCustomizeRecordDialog(const CStringTable& strings,
                                               const CLabelTexts& labels, uint16_t mask,
                                               const CLabelTexts& typeLabels, uint16_t typeMask,
                                               QWidget* parent)
    : CDialogBase(strings, str::kCustomizeRecordTitle, parent),
      m_typeLabels(typeLabels),
      m_typeMask(typeMask) {
    auto* layout = new QGridLayout(this);
    m_grid.emplace(strings, this, layout, 0);
    QDialogButtonBox* box = OkButtons();
    QPushButton* reset = TextButton(str::kResetButton);
    box->addButton(reset, QDialogButtonBox::ResetRole);
    connect(reset, &QPushButton::clicked, this, &CCustomizeRecordDialog::Reset);
    layout->addWidget(NoticeLine(strings, this), kFieldCount, 0, 1, 3);
    layout->addWidget(box, kFieldCount + 1, 0, 1, 3);
    Show(labels, mask);
}

void CCustomizeRecordDialog::Show(const CLabelTexts& labels, uint16_t mask) {
    // A record's labels are stored with their colon; the edits show them without.
    CLabelTexts shown;
    for (int i = 0; i < kFieldCount; ++i)
        shown[i] = std::string(WithoutTrailingColon(labels[i]));
    m_grid->Show(shown, mask);
}

void CCustomizeRecordDialog::Reset() {
    Show(m_typeLabels, m_typeMask);
}

}  // namespace tessarin
