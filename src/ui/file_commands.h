#pragma once

// The desktop program's file commands: the imports of every format, the exports, Backup and
// Restore, files dropped on the window, and "Change Database Location...". Long work (reading and
// parsing an import file, writing an export or backup) runs on a worker thread under a progress
// dialog that can be cancelled until anything changes; the database is touched only on the
// thread of the window, which applies what the worker read.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QObject>

#include "base/secure_memory.h"
#include "exchange/exchange_writer.h"
#include "exchange/import_file.h"

class QWidget;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CStringTable;
class CTessarinDesktopView;
class IMessageSink;

// What the file commands ask the user; the program shows its dialogs, tests answer in their place.
class IFilePrompts {
public:
    virtual ~IFilePrompts() = default;
    // An existing file to read; `title` and `filter` are string numbers, `selected` the filter
    // entry chosen first. None on Cancel.
    virtual std::optional<std::string> OpenFile(int title, int filter, int selected) = 0;
    // A file to write, asking before one is replaced.
    virtual std::optional<std::string> SaveFile(int title, int filter,
                                                const std::string& startFolder) = 0;
    // The same, where the filter entry the user chose (from 0) chooses the file's format.
    virtual std::optional<std::string> SaveFileChoosing(int title, int filter, int& chosen) {
        chosen = 0;
        return SaveFile(title, filter, std::string());
    }
    // "Export": which records.
    virtual std::optional<ExportScope> AskExportScope() = 0;
    // "Get Password" of an export or backup: an empty password for an unprotected file.
    virtual std::optional<CSecret> AskExportPassword() = 0;
    // "Get Password" of an import file.
    virtual IFilePasswordPrompt& ImportPassword() = 0;
    // A folder for the database, starting in `start`.
    virtual std::optional<std::string> PickDatabaseFolder(const std::string& start) = 0;
};

std::unique_ptr<IFilePrompts> MakeDialogFilePrompts(const CStringTable& strings,
                                                    IMessageSink& messages, QWidget* parent);

// The part of long file work that runs off the window's thread, while the window goes on
// answering with a progress dialog. `work` is given a cancel flag and a place to say how far it
// got (in thousandths). Returns whether the work ran to its end: false when the user cancelled.
class IBackgroundRunner {
public:
    using Work = std::function<void(const std::atomic<bool>& cancel, std::atomic<int>& permille)>;
    virtual ~IBackgroundRunner() = default;
    // `label`: what the progress dialog says; `cancellable`: whether it offers Cancel.
    virtual bool Run(const QString& label, bool cancellable, const Work& work) = 0;
};

// A worker thread and a progress dialog over `window`; the dialog shows once the work has taken a
// moment.
std::unique_ptr<IBackgroundRunner> MakeThreadRunner(const CStringTable& strings, QWidget* window);

class CFileCommands : public QObject {
    Q_OBJECT
public:
    // `storeFolder` records the database's new folder as the user's "User Directory" (false when
    // it could not); none keeps nothing.
    CFileCommands(CCoreContext& context, CTessarinDesktopView& view, IFilePrompts& prompts,
                  IBackgroundRunner& runner, std::string documentsFolder,
                  std::function<bool(const std::string& folder)> storeFolder = {},
                  QObject* parent = nullptr);

    // Binds the import, export, backup, restore and database location commands; takes the
    // window's dropped files.
    void Bind(CCommandTable& commands, QWidget* dropTarget);

    // The commands.
    void ImportCommand(ExchangeFormat format);
    void ExportCommand(ExportFormat format);
    // "For Another Password Manager...": every record, in the format the save dialog's filter
    // names, with a warning that the file is in clear.
    void ManagerExportCommand();
    void BackupCommand();
    void RestoreCommand();
    void ChangeDatabaseLocationCommand();

    // Imports the file in `format` (Detect: the format its first bytes show); `replace` restores
    // it over the database. The file is read and parsed off the window's thread. An export of
    // another password manager is followed by a message that names it and counts what was
    // imported, once the window's loop turns again.
    CImportOutcome ImportPath(const std::string& path, ExchangeFormat format, bool replace = false);
    // Imports another password manager's export: the format its first line shows, else `chosen`
    // when that line names one of its columns.
    CImportOutcome ImportManagerExport(const std::string& path, ExchangeFormat chosen);
    // Files dropped on the window, in turn: ".csv", ".txt" and ".vex" (any case) are imported
    // with detection, others get message 158.
    void ImportDropped(const QStringList& paths);
    // Writes the export or backup file off the window's thread; false after message 603.
    bool WriteFile(ExportFormat format, ExportScope scope, const std::string& path,
                   const CKeySchedule* key);

Q_SIGNALS:
    // Long work is under way: it counts as the user's activity for the automatic lock.
    void activity();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ImportPath with the reading step given.
    CImportOutcome Import(const std::string& path, const std::function<CImportSource()>& read,
                          bool replace);
    // The closing messages of an import of another password manager's export, said once the
    // window's loop turns again.
    CImportOutcome Told(CImportOutcome outcome);

    CCoreContext& m_context;
    CTessarinDesktopView& m_view;
    IFilePrompts& m_prompts;
    IBackgroundRunner& m_runner;
    std::string m_documentsFolder;
    std::function<bool(const std::string& folder)> m_storeFolder;
    bool m_busy = false;
};

}  // namespace tessarin
