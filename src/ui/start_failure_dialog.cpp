#include "ui/start_failure_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "ui/ui_text.h"

namespace tessarin {

CStartFailureDialog::CStartFailureDialog(const CStringTable& strings, const QString& why,
                                         const QString& newest, const QString& written,
                                         const QString& backupFolder, QWidget* parent)
    : QDialog(parent) {
    const QString title = UiText(strings, str::kStartFailureTitle);
    setWindowTitle(title);
    setAccessibleName(title);
    const auto line = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(line(why));
    layout->addWidget(line(UiText(strings, str::kStartFailureText)));
    auto* other = new QRadioButton(UiText(strings, str::kStartFailureOther), this);
    if (newest.isEmpty()) {
        layout->addWidget(
            line(UiText(strings, str::kStartFailureNoBackup, {QStringToCp1252(backupFolder)})));
        other->setChecked(true);
    } else {
        m_newest = new QRadioButton(UiText(strings, str::kStartFailureNewest,
                                           {QStringToCp1252(newest), QStringToCp1252(written)}),
                                    this);
        m_newest->setChecked(true);
        layout->addWidget(m_newest);
    }
    layout->addWidget(other);

    auto* buttons = new QDialogButtonBox(this);
    const auto button = [&](int text, StartFailureChoice choice,
                            QDialogButtonBox::ButtonRole role) {
        QPushButton* pushed = buttons->addButton(UiText(strings, text), role);
        connect(pushed, &QPushButton::clicked, this, [this, choice] { Choose(choice); });
        return pushed;
    };
    button(str::kTryAgainButton, StartFailureChoice::TryAgain, QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    button(str::kRestoreButton, StartFailureChoice::RestoreOther, QDialogButtonBox::ActionRole);
    button(str::kQuitButton, StartFailureChoice::Quit, QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
}

void CStartFailureDialog::Choose(StartFailureChoice choice) {
    if (choice == StartFailureChoice::RestoreOther && m_newest && m_newest->isChecked())
        choice = StartFailureChoice::RestoreNewest;
    m_choice = choice;
    if (choice == StartFailureChoice::Quit)
        reject();
    else
        accept();
}

}  // namespace tessarin
