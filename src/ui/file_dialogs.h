#pragma once

// The dialogs of the file commands: which records to export ("Export"), the password of an import
// file and the optional password of an export or backup ("Get Password"), and the progress of long
// file work.
#include <optional>

#include <QStringList>

#include "base/secure_memory.h"
#include "exchange/exchange_writer.h"
#include "ui/dialog_base.h"

class QLineEdit;
class QRadioButton;

namespace tessarin {

class IMessageSink;

// "Export": all records (preselected), the records in the current view, the selected ones.
class CExportDialog : public CDialogBase {
    Q_OBJECT
public:
    explicit CExportDialog(const CStringTable& strings, QWidget* parent = nullptr);
    ExportScope Scope() const;
    void SetScope(ExportScope scope);

private:
    QRadioButton* m_buttons[3];
};

// "Get Password". For an import file: one field; OK closes with what was typed, and the caller
// asks again (the text selected) when it does not open the file. For an export: the password and
// its confirmation; OK stays after message 137 (they differ) or 155 (a password too weak); an empty
// password leaves the file unprotected.
class CFilePasswordDialog : public CDialogBase {
    Q_OBJECT
public:
    enum class Kind { Import, Export };
    CFilePasswordDialog(const CStringTable& strings, IMessageSink& messages, Kind kind,
                        QWidget* parent = nullptr);
    const CSecret& Password() const { return m_password; }
    // Before asking again after a wrong password: the text selected, the field focused.
    void SelectTyped();

    void accept() override;

private:
    IMessageSink& m_messages;
    Kind m_kind;
    QLineEdit* m_field;
    QLineEdit* m_confirm = nullptr;
    CSecret m_password;
};

// The path a save dialog gave, with the extension of the chosen filter ("CSV Files (*.csv)") added
// when the name was typed without one.
QString SavePathWithExtension(const QString& path, const QString& chosenFilter);

// Whether something is at `path`, a link that leads nowhere included.
bool FileOrLinkExists(const QString& path);

// A file dialog filter of the string table ("CSV Files (*.csv)|*.csv|...||") as Qt's filters; "*.*"
// means every file, as on the other platform.
QStringList FileDialogFilters(const QString& tableFilter);

}  // namespace tessarin
