#pragma once

// How the program's dialogs are built, one way: CDialogBase takes its title from the string table
// and makes the row of buttons (OK the default, the reject button beside it); BuddyLabel makes
// the label that names a control for the keyboard and, with AccessibleNameOf, for screen readers.
#include <QDialog>
#include <QDialogButtonBox>
#include <QString>

#include "resources/string_ids.h"

class QLabel;
class QPushButton;
class QWidget;

namespace tessarin {

class CStringTable;

// A label for `buddy`, which takes the label's text as its accessible name (AccessibleNameOf).
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);

class CDialogBase : public QDialog {
    Q_OBJECT
public:
    // `title`: the number of the title's text, or the text itself.
    CDialogBase(const CStringTable& strings, int title, QWidget* parent);
    CDialogBase(const CStringTable& strings, const QString& title, QWidget* parent);

    const CStringTable& Strings() const { return m_strings; }

protected:
    // A label with the text of string `text` for `buddy`, which it names.
    QLabel* Label(int text, QWidget* buddy);
    // A button with the text of string `text` for the dialog's body ("Icon...", "Custom..."): it
    // is pressed by a click or its mnemonic, never by Return.
    QPushButton* TextButton(int text);
    // The row of buttons, empty; a button with the accept role accepts the dialog, one with the
    // reject role rejects it (so does Escape).
    QDialogButtonBox* ButtonRow();
    // A button of the row with the text of string `text`; `isDefault`: Return presses it.
    QPushButton* AddButton(QDialogButtonBox* row, int text, QDialogButtonBox::ButtonRole role,
                           bool isDefault = false);
    // "OK" (the default) and, unless `reject` is 0, the reject button: "Cancel", or the text of
    // `reject` ("Quit").
    QDialogButtonBox* OkButtons(int reject = str::kCancelButton);

private:
    const CStringTable& m_strings;
};

}  // namespace tessarin
