#include "ui/file_commands.h"

#include <cstring>
#include <filesystem>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QProgressBar>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "base/codepage.h"
#include "exchange/manager_formats.h"
#include "exchange/manager_import.h"
#include "exchange/session_import.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/error_text.h"
#include "resources/string_ids.h"
#include "security/blowfish.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/file_io.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/file_dialogs.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// Each import command: its format and the filter entry chosen first.
struct CImportCommand {
    uint32_t id;
    ExchangeFormat format;
    int filter;
    int selected;  // 0: CSV Files, 1: Text Files
};
constexpr CImportCommand kImportCommands[] = {
    {cmd::kImportVex, ExchangeFormat::Detect, str::kVexOpenFilter, 0},
    {cmd::kImportCsv, ExchangeFormat::Csv, str::kCsvOpenFilter, 0},
    {cmd::kImportCryptinfo, ExchangeFormat::Cryptinfo, str::kCsvOpenFilter, 1},
    {cmd::kImportEWallet, ExchangeFormat::EWallet, str::kCsvOpenFilter, 1},
    {cmd::kImportMobileSafe, ExchangeFormat::MobileSafe, str::kCsvOpenFilter, 1},
    {cmd::kImportTopSecret, ExchangeFormat::TopSecret, str::kCsvOpenFilter, 0},
    {cmd::kImportYaps, ExchangeFormat::Yaps, str::kCsvOpenFilter, 1},
};

// The imports of other password managers' exports: each names the format to read a file as when
// its first line is not one of the documented ones.
constexpr std::pair<uint32_t, ExchangeFormat> kManagerImports[] = {
    {cmd::kImportKeePassXc, ExchangeFormat::KeePassXc},
    {cmd::kImportBitwarden, ExchangeFormat::Bitwarden},
    {cmd::kImportChrome, ExchangeFormat::Chrome},
    {cmd::kImportFirefox, ExchangeFormat::Firefox},
    {cmd::kImportOnePassword, ExchangeFormat::OnePassword},
    {cmd::kImportLastPass, ExchangeFormat::LastPass},
    {cmd::kImportProtonPass, ExchangeFormat::ProtonPass},
};

// "Get Password" of an import file: one dialog for the whole import, shown again with the wrong
// password selected.
class CDialogFilePassword : public IFilePasswordPrompt {
public:
    CDialogFilePassword(const CStringTable& strings, IMessageSink& messages, QWidget* parent)
        : m_strings(strings), m_messages(messages), m_parent(parent) {}
    std::optional<CSecret> AskFilePassword() override {
        if (!m_dialog)
            m_dialog = std::make_unique<CFilePasswordDialog>(
                m_strings, m_messages, CFilePasswordDialog::Kind::Import, m_parent);
        else
            m_dialog->SelectTyped();
        if (m_dialog->exec() != QDialog::Accepted) {
            m_dialog.reset();
            return std::nullopt;
        }
        return m_dialog->Password();
    }
    // The file's password was found, or the import was given up: the next file starts with an
    // empty field.
    void Done() override { Forget(); }
    void Forget() { m_dialog.reset(); }

private:
    const CStringTable& m_strings;
    IMessageSink& m_messages;
    QWidget* m_parent;
    std::unique_ptr<CFilePasswordDialog> m_dialog;
};

class CDialogFilePrompts : public IFilePrompts {
public:
    CDialogFilePrompts(const CStringTable& strings, IMessageSink& messages, QWidget* parent)
        : m_strings(strings),
          m_messages(messages),
          m_parent(parent),
          m_password(strings, messages, parent) {}

    std::optional<std::string> OpenFile(int title, int filter, int selected) override {
        m_password.Forget();
        const QStringList filters = FileDialogFilters(UiText(m_strings, filter));
        QString chosen = filters.value(selected);
        const QString path =
            QFileDialog::getOpenFileName(m_parent, UiText(m_strings, title), QString(),
                                         filters.join(QStringLiteral(";;")), &chosen);
        if (path.isEmpty())
            return std::nullopt;
        return path.toStdString();
    }
    std::optional<std::string> SaveFile(int title, int filter,
                                        const std::string& startFolder) override {
        int chosen = 0;
        return Save(title, filter, startFolder, chosen);
    }
    std::optional<std::string> SaveFileChoosing(int title, int filter, int& chosen) override {
        return Save(title, filter, std::string(), chosen);
    }
    std::optional<ExportScope> AskExportScope() override {
        CExportDialog dialog(m_strings, m_parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Scope();
    }
    std::optional<CSecret> AskExportPassword() override {
        CFilePasswordDialog dialog(m_strings, m_messages, CFilePasswordDialog::Kind::Export,
                                   m_parent);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Password();
    }
    IFilePasswordPrompt& ImportPassword() override { return m_password; }
    std::optional<std::string> PickDatabaseFolder(const std::string& start) override {
        const QString folder = QFileDialog::getExistingDirectory(
            m_parent, UiText(m_strings, str::kChooseDatabaseLocation),
            QString::fromStdString(start));
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    }

private:
    std::optional<std::string> Save(int title, int filter, const std::string& startFolder,
                                    int& chosenIndex) {
        const QStringList filters = FileDialogFilters(UiText(m_strings, filter));
        QString chosen = filters.value(0);
        QString start = QString::fromStdString(startFolder);
        for (;;) {
            const QString typed =
                QFileDialog::getSaveFileName(m_parent, UiText(m_strings, title), start,
                                             filters.join(QStringLiteral(";;")), &chosen);
            if (typed.isEmpty())
                return std::nullopt;
            chosenIndex = std::max<int>(0, static_cast<int>(filters.indexOf(chosen)));
            // A name typed without its extension gets the one of the chosen filter.
            const QString path = SavePathWithExtension(typed, chosen);
            // The dialog asked about the name as typed; the name with its extension is asked
            // about here, and No goes back to the dialog.
            if (path == typed || !FileOrLinkExists(path) ||
                m_messages.Show({str::kReplaceExistingFile,
                                 {FileNameForMessage(path.toStdString())},
                                 MessageIcon::Exclamation,
                                 MessageButtons::YesNoDefaultNo}) == MessageAnswer::Yes)
                return path.toStdString();
            start = path;
        }
    }

    const CStringTable& m_strings;
    IMessageSink& m_messages;
    QWidget* m_parent;
    CDialogFilePassword m_password;
};

class CThreadRunner : public IBackgroundRunner {
public:
    CThreadRunner(const CStringTable& strings, QWidget* window)
        : m_strings(strings), m_window(window) {}

    bool Run(const QString& label, bool cancellable, const Work& work) override {
        std::atomic<bool> cancel{false};
        std::atomic<int> permille{0};
        QProgressDialog progress(label,
                                 cancellable ? UiText(m_strings, str::kCancelButton) : QString(), 0,
                                 1000, m_window);
        progress.setWindowTitle(UiText(m_strings, str::kProgramName));
        progress.setAccessibleName(UiText(m_strings, str::kProgressName));
        progress.setWindowModality(Qt::WindowModal);
        progress.setAutoReset(false);
        progress.setAutoClose(false);
        progress.setMinimumDuration(kShowAfterMs);
        if (auto* bar = progress.findChild<QProgressBar*>())
            bar->setAccessibleName(UiText(m_strings, str::kProgressName));
        QObject::connect(&progress, &QProgressDialog::canceled, [&] { cancel = true; });

        QEventLoop loop;
        QThread* thread = QThread::create([&] { work(cancel, permille); });
        QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (progress.wasCanceled())
                cancel = true;
            if (!cancel)
                progress.setValue(permille.load());
        });
        tick.start(kTickMs);
        progress.setValue(0);
        thread->start();
        loop.exec();
        thread->wait();
        delete thread;
        return !cancel;
    }

private:
    static constexpr int kShowAfterMs = 300;
    static constexpr int kTickMs = 50;
    const CStringTable& m_strings;
    QWidget* m_window;
};

// A copy of a key schedule the worker may use while the program locks itself and drops its own.
std::unique_ptr<CKeySchedule> CopyOf(const CKeySchedule* key) {
    if (!key)
        return nullptr;
    auto copy = std::make_unique<CKeySchedule>();
    std::memcpy(copy->Words(), key->Words(), CKeySchedule::kWords * sizeof(uint32_t));
    return copy;
}

int Permille(size_t done, size_t whole) {
    return whole ? static_cast<int>(done * 1000 / whole) : 0;
}

// Rows applied to a database between two turns of the window's loop: a few milliseconds' work.
constexpr size_t kRowsPerTurn = 4096;

// Applies an import's rows on the window's thread in pieces, letting the window paint and its
// timers run between them while the user's input waits. The session is busy meanwhile: nothing
// else changes the database, takes its file's lock or saves until the rows are in.
void ImportInPieces(CDatabaseSession& session, CRowImporter& importer, CParsedRows& parsed) {
    const CDatabaseSession::CBusy busy(session);
    const size_t rows = parsed.rows.size();
    for (size_t from = 0; from < rows; from += kRowsPerTurn) {
        importer.Import(parsed, from, std::min(rows, from + kRowsPerTurn));
        if (from + kRowsPerTurn < rows)
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

}  // namespace

std::unique_ptr<IFilePrompts> MakeDialogFilePrompts(const CStringTable& strings,
                                                    IMessageSink& messages, QWidget* parent) {
    return std::make_unique<CDialogFilePrompts>(strings, messages, parent);
}

std::unique_ptr<IBackgroundRunner> MakeThreadRunner(const CStringTable& strings, QWidget* window) {
    return std::make_unique<CThreadRunner>(strings, window);
}

CFileCommands::CFileCommands(CCoreContext& context, CTessarinDesktopView& view,
                             IFilePrompts& prompts, IBackgroundRunner& runner,
                             std::string documentsFolder,
                             std::function<bool(const std::string& folder)> storeFolder,
                             QObject* parent)
    : QObject(parent),
      m_context(context),
      m_view(view),
      m_prompts(prompts),
      m_runner(runner),
      m_documentsFolder(std::move(documentsFolder)),
      m_storeFolder(std::move(storeFolder)) {}

void CFileCommands::Bind(CCommandTable& commands, QWidget* dropTarget) {
    for (const CImportCommand& c : kImportCommands)
        commands.SetHandler(c.id, [this, c] {
            const std::optional<std::string> path =
                m_prompts.OpenFile(str::kImportFileTitle, c.filter, c.selected);
            if (path)
                ImportPath(*path, c.format);
        });
    for (const auto& [id, format] : kManagerImports)
        commands.SetHandler(id, [this, format] {
            const std::optional<std::string> path =
                m_prompts.OpenFile(str::kImportFileTitle, str::kManagerOpenFilter, 0);
            if (path)
                ImportManagerExport(*path, format);
        });
    commands.SetHandler(cmd::kExportVex, [this] { ExportCommand(ExportFormat::Vex); });
    commands.SetHandler(cmd::kExportCsv, [this] { ExportCommand(ExportFormat::Csv); });
    commands.SetHandler(cmd::kExportManager, [this] { ManagerExportCommand(); });
    commands.SetHandler(cmd::kBackup, [this] { BackupCommand(); });
    commands.SetHandler(cmd::kRestore, [this] { RestoreCommand(); });
    commands.SetHandler(cmd::kChangeDatabaseLocation, [this] { ChangeDatabaseLocationCommand(); });
    if (dropTarget) {
        dropTarget->setAcceptDrops(true);
        dropTarget->installEventFilter(this);
    }
}

CImportOutcome CFileCommands::ImportPath(const std::string& path, ExchangeFormat format,
                                         bool replace) {
    return Told(Import(
        path, [&] { return ReadImportSource(path, format, replace); }, replace));
}

CImportOutcome CFileCommands::ImportManagerExport(const std::string& path, ExchangeFormat chosen) {
    return Told(Import(
        path, [&] { return ReadManagerExport(path, chosen); }, false));
}

CImportOutcome CFileCommands::Told(CImportOutcome outcome) {
    // Said once the command is over, so that the same command chosen again while the message
    // shows (or as soon as it closes) runs afresh instead of finding itself still running.
    if (outcome.save.Ok() && IsManagerFormat(outcome.format))
        QMetaObject::invokeMethod(
            this, [this, outcome] { ReportManagerImport(m_context, outcome.format, outcome); },
            Qt::QueuedConnection);
    return outcome;
}

CImportOutcome CFileCommands::Import(const std::string& path,
                                     const std::function<CImportSource()>& read, bool replace) {
    CImportOutcome cancelled;
    cancelled.result = CImportOutcome::Cancelled;
    if (m_busy || m_view.IsLocked())
        return cancelled;
    m_busy = true;
    struct CIdle {
        bool& busy;
        ~CIdle() { busy = false; }
    } idle{m_busy};
    Q_EMIT activity();

    const std::string name = FileNameForMessage(path);
    CImportSource source;
    if (!m_runner.Run(UiText(m_context.Strings(), str::kProgressReading, {name}), true,
                      [&](const std::atomic<bool>&, std::atomic<int>&) { source = read(); }))
        return cancelled;
    CFileKey found;
    if (std::optional<CImportOutcome> ended =
            CheckSource(m_context, source, m_prompts.ImportPassword(), found))
        return *ended;
    const std::string_view text = source.bytes.View();
    const std::unique_ptr<CKeySchedule> key = CopyOf(found.key);

    CParsedRows parsed;
    Q_EMIT activity();
    if (!m_runner.Run(UiText(m_context.Strings(), str::kProgressImporting, {name}), true,
                      [&](const std::atomic<bool>& cancel, std::atomic<int>& permille) {
                          const size_t whole = text.size();
                          ParseRows(source.format, text, key.get(), parsed, [&](size_t at) {
                              permille = Permille(at, whole);
                              return !cancel.load();
                          });
                      }))
        return cancelled;

    // From here on the database changes, on the window's thread, in pieces between which the
    // window paints. A lock meanwhile closed the progress window, which cancelled the import.
    if (m_view.IsLocked())
        return cancelled;
    Q_EMIT activity();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // One change of the session either way: one save, then the notices, then the list.
    CImportOutcome outcome;
    CNoticeList notices;
    CDatabaseSession& session = m_view.Session();
    if (replace) {
        CDatabaseObj staging(m_context);
        CAllTypesList stagingList(staging);
        CRowImporter importer(staging, ExchangeFormat::Vex2, text, stagingList);
        ImportInPieces(session, importer, parsed);
        outcome = importer.Finish(parsed, notices);
        outcome = ReplaceDatabase(session, staging, notices, std::move(outcome));
    } else {
        CSessionImportList list(m_view);
        CRowImporter importer(session.Database(), source.format, text, list);
        ImportInPieces(session, importer, parsed);
        outcome = importer.Finish(parsed, notices);
        if (outcome.result == CImportOutcome::Imported)
            CommitImport(session, list, notices, outcome);
    }
    outcome.format = source.format;
    QApplication::restoreOverrideCursor();
    m_view.setFocus();
    return outcome;
}

void CFileCommands::ImportDropped(const QStringList& paths) {
    for (const QString& path : paths) {
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == "csv" || suffix == "txt" || suffix == "vex")
            ImportPath(path.toStdString(), ExchangeFormat::Detect);
        else
            m_context.ShowMessage(str::kDroppedFileTypeUnknown,
                                  {m_context.Strings().Get(str::kProgramName)},
                                  MessageIcon::Exclamation);
    }
}

bool CFileCommands::WriteFile(ExportFormat format, ExportScope scope, const std::string& path,
                              const CKeySchedule* key) {
    CDatabaseObj& database = m_view.Database();
    // The text is built here (it reads the records and draws the filler from the context's
    // random source); the file is written and synced off the window's thread.
    std::string text;
    try {
        const std::vector<const CRecord*> records = RecordsInScope(database, scope, &m_view);
        text = BuildExportText(database, format, records, key);
    } catch (const std::bad_alloc&) {
        m_context.ShowMessage(str::kErrorWritingExportFile, {}, MessageIcon::Exclamation);
        return false;
    }
    bool written = false;
    bool atOpen = false;
    int error = 0;
    m_runner.Run(UiText(m_context.Strings(), str::kProgressWriting, {FileNameForMessage(path)}),
                 false, [&](const std::atomic<bool>&, std::atomic<int>& permille) {
                     try {
                         const auto write = [&](IByteSink& sink) {
                             // In pieces, so that the dialog can tell how far it got.
                             constexpr size_t kPiece = 1 << 20;
                             for (size_t at = 0; at < text.size(); at += kPiece) {
                                 sink.Write(text.data() + at, std::min(kPiece, text.size() - at));
                                 permille = Permille(at, text.size());
                             }
                         };
                         // What leaves for another manager is for its owner's eyes only,
                         // whatever the file it replaces allowed.
                         if (IsForOtherManager(format))
                             WritePrivateFile(path, write);
                         else
                             WriteFileSafely(path, write, LinkAtPath::Replace);
                         written = true;
                     } catch (const CFileError& e) {
                         atOpen = e.AtOpen();
                         error = e.Code();
                     }
                 });
    WipeMemory(text.data(), text.size());
    if (written)
        return true;
    // The messages' texts give general advice; the system's words say what it was.
    const std::string detail = FileErrorDetail(m_context.Strings(), error, path, true);
    if (atOpen)
        m_context.ShowMessage(str::kErrorCreatingExportFile, {}, MessageIcon::Exclamation,
                              MessageButtons::Ok, detail);
    m_context.ShowMessage(str::kErrorWritingExportFile, {}, MessageIcon::Exclamation,
                          MessageButtons::Ok, detail);
    return false;
}

void CFileCommands::ExportCommand(ExportFormat format) {
    const std::optional<ExportScope> scope = m_prompts.AskExportScope();
    if (!scope)
        return;
    const bool vex = format == ExportFormat::Vex;
    const std::optional<std::string> path = m_prompts.SaveFile(
        str::kExportFileTitle, vex ? str::kVexSaveFilter : str::kCsvSaveFilter, std::string());
    if (!path)
        return;
    std::unique_ptr<CKeySchedule> key;
    if (vex) {
        const std::optional<CSecret> password = m_prompts.AskExportPassword();
        if (!password)
            return;
        if (!password->Empty())
            key = MakeKeySchedule(*password);
    }
    if (WriteFile(format, *scope, *path, key.get()))
        m_context.ShowMessage(str::kExportSucceeded, {}, MessageIcon::Information);
}

void CFileCommands::ManagerExportCommand() {
    int chosen = 0;
    const std::optional<std::string> path =
        m_prompts.SaveFileChoosing(str::kManagerExportTitle, str::kManagerSaveFilter, chosen);
    if (!path)
        return;
    const ExportFormat format =
        chosen == 1 ? ExportFormat::KeePassXcCsv : ExportFormat::BitwardenCsv;
    if (WriteFile(format, ExportScope::All, *path, nullptr))
        m_context.ShowMessage(str::kManagerExportSucceeded, {}, MessageIcon::Exclamation);
}

void CFileCommands::BackupCommand() {
    const std::optional<std::string> path =
        m_prompts.SaveFile(str::kBackupTitle, str::kVexSaveFilter, m_documentsFolder);
    if (!path)
        return;
    const std::optional<CSecret> password = m_prompts.AskExportPassword();
    if (!password)
        return;
    const std::unique_ptr<CKeySchedule> key =
        password->Empty() ? nullptr : MakeKeySchedule(*password);
    if (WriteFile(ExportFormat::Vex, ExportScope::All, *path, key.get()))
        m_context.ShowMessage(str::kBackupSucceeded, {}, MessageIcon::Information);
}

void CFileCommands::RestoreCommand() {
    const std::optional<std::string> path =
        m_prompts.OpenFile(str::kRestoreTitle, str::kVexOpenFilter, 0);
    if (!path)
        return;
    if (m_context.ShowMessage(str::kRestoreConfirm, {}, MessageIcon::Question,
                              MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    const CImportOutcome outcome = ImportPath(*path, ExchangeFormat::Vex2, true);
    // A restore that could not be saved has said so; the file it would replace is still there.
    if (outcome.result == CImportOutcome::Imported && outcome.save.Ok() && !outcome.keptAt.empty())
        m_context.ShowMessage(str::kRestoreKeptAt,
                              {QStringToCp1252(QString::fromStdString(outcome.keptAt))},
                              MessageIcon::Information);
}

void CFileCommands::ChangeDatabaseLocationCommand() {
    CDatabaseObj& database = m_view.Database();
    const std::string current = std::filesystem::path(database.m_path).parent_path().string();
    const std::optional<std::string> folder = m_prompts.PickDatabaseFolder(current);
    if (!folder)
        return;
    // The new place is remembered in the settings, which hold Windows-1252 text: a folder whose
    // name they cannot hold would leave the database where the next start never looks.
    std::string storable;
    if (!Utf8ToCp1252(*folder, storable)) {
        m_context.ShowMessage(str::kLocationNotStorable, {*folder}, MessageIcon::Exclamation);
        return;
    }
    bool stored = true;
    const CStoreResult moved = m_view.Session().ChangeLocation(
        *folder, [&](const std::string& f) { stored = !m_storeFolder || m_storeFolder(f); });
    // A password changed elsewhere reaches the view as a failed save.
    if (moved.code == StoreCode::KeyChanged)
        return;
    if (!moved.Ok()) {
        if (!moved.message)
            m_context.ShowMessage(str::kPlainText, {ResultText(moved, m_context.Strings())},
                                  MessageIcon::Error);
        return;
    }
    // The view reads the database from its new folder from now on.
    const std::string now = std::filesystem::path(database.m_path).parent_path().string();
    if (now != m_view.Folder())
        m_view.MovedTo(now);
    if (!stored)
        m_context.ShowMessage(str::kLocationNotRemembered, {now}, MessageIcon::Exclamation);
}

bool CFileCommands::eventFilter(QObject* watched, QEvent* event) {
    // The window's set-up may clear the flag after the commands were bound.
    if (event->type() == QEvent::Show || event->type() == QEvent::Polish)
        static_cast<QWidget*>(watched)->setAcceptDrops(true);
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (drag->mimeData()->hasUrls() && !m_view.IsLocked()) {
            drag->acceptProposedAction();
            return true;
        }
    } else if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls())
            if (url.isLocalFile())
                paths << url.toLocalFile();
        drop->acceptProposedAction();
        // After the drop has ended: an import asks questions of its own.
        QTimer::singleShot(0, this, [this, paths] { ImportDropped(paths); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tessarin
