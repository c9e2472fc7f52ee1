#include "ui/dialog_base.h"

#include <QLabel>
#include <QPushButton>

#include "ui/ui_text.h"

namespace tessarin {

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(AccessibleNameOf(text));
    return label;
}

CDialogBase::CDialogBase(const CStringTable& strings, int title, QWidget* parent)
    : CDialogBase(strings, UiText(strings, title), parent) {}

CDialogBase::CDialogBase(const CStringTable& strings, const QString& title, QWidget* parent)
    : QDialog(parent), m_strings(strings) {
    setWindowTitle(title);
}

QLabel* CDialogBase::Label(int text, QWidget* buddy) {
    return BuddyLabel(UiText(m_strings, text), buddy, this);
}

QPushButton* CDialogBase::TextButton(int text) {
    auto* button = new QPushButton(UiText(m_strings, text), this);
    button->setAutoDefault(false);
    return button;
}

QDialogButtonBox* CDialogBase::ButtonRow() {
    auto* row = new QDialogButtonBox(this);
    connect(row, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(row, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return row;
}

QPushButton* CDialogBase::AddButton(QDialogButtonBox* row, int text,
                                    QDialogButtonBox::ButtonRole role, bool isDefault) {
    QPushButton* button = row->addButton(UiText(m_strings, text), role);
    if (isDefault)
        button->setDefault(true);
    return button;
}

QDialogButtonBox* CDialogBase::OkButtons(int reject) {
    QDialogButtonBox* row = ButtonRow();
    AddButton(row, str::kOkButton, QDialogButtonBox::AcceptRole, true);
    if (reject)
        AddButton(row, reject, QDialogButtonBox::RejectRole);
    return row;
}

}  // namespace tessarin
