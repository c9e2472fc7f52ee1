#include "ui/dialog_parts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

#include "resources/string_ids.h"
#include "ui/ui_text.h"

namespace tessarin {

QString AccessibleNameOf(QString label) {
    label.remove('&');
    while (label.endsWith(':'))
        label.chop(1);
    return label.trimmed();
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    buddy->setAccessibleName(AccessibleNameOf(text));
    return label;
}

QPushButton* TextButton(const CStringTable& strings, int id, QWidget* parent) {
    auto* button = new QPushButton(UiText(strings, id), parent);
    button->setAutoDefault(false);
    return button;
}

QDialogButtonBox* OkCancelButtons(const CStringTable& strings, QDialog* dialog) {
    auto* box = new QDialogButtonBox(dialog);
    QPushButton* ok = box->addButton(UiText(strings, str::kOkButton), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    box->addButton(UiText(strings, str::kCancelButton), QDialogButtonBox::RejectRole);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

}  // namespace tessarin
