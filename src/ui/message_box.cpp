#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/ui_text.h"

namespace tessarin {

MessageAnswer CMessageBoxSink::Show(const CMessage& message) {
    const std::vector<std::string_view> args(message.args.begin(), message.args.end());
    const QString text = Cp1252ToQString(FormatText(m_strings.Get(message.id), args));
    QMessageBox box(m_parent ? m_parent : QApplication::activeWindow());
    box.setWindowTitle(UiText(m_strings, str::kProgramName));
    // A text taller than a screen (the list of every record an import changed) shows its first
    // lines; the whole of it is under Show Details, where it scrolls.
    constexpr qsizetype kMaxShownLines = 25;
    if (const QStringList lines = text.split('\n'); lines.size() > kMaxShownLines) {
        box.setText(lines.mid(0, kMaxShownLines).join('\n') + QStringLiteral("\n..."));
        box.setDetailedText(text);
    } else {
        box.setText(text);
    }
    switch (message.icon) {
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::None:
            break;
    }
    // What the system said went wrong, in words, under the text that gives its code.
    if (!message.detail.empty())
        box.setInformativeText(Cp1252ToQString(message.detail));
    switch (message.buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case MessageButtons::YesNoDefaultNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MessageAnswer::Ok;
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            // Closed without a button: as its escape button.
            return message.buttons == MessageButtons::Ok         ? MessageAnswer::Ok
                   : message.buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                                 : MessageAnswer::No;
    }
}

}  // namespace tessarin
