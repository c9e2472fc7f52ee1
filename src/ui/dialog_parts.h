#pragma once

// Small pieces the record, type and generator dialogs share: labels that name their fields for
// the keyboard and for screen readers, and buttons with string-table texts.
#include <QString>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QWidget;

namespace tessarin {

class CStringTable;

// The label's text as a field's accessible name: without "&" and without a trailing ":".
QString AccessibleNameOf(QString label);
// A label for `buddy`, which takes the label's text as its accessible name.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);
// A button with the text of string `id`, named by it.
QPushButton* TextButton(const CStringTable& strings, int id, QWidget* parent);
// "OK" (the default) and "Cancel", wired to the dialog's accept and reject.
QDialogButtonBox* OkCancelButtons(const CStringTable& strings, QDialog* dialog);

}  // namespace tessarin
