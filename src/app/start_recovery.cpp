#include "app/start_recovery.h"

#include <vector>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include "app/shell_prompts.h"
#include "base/codepage.h"
#include "exchange/backup.h"
#include "exchange/newest_backup.h"
#include "exchange/record_list.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "ui/file_commands.h"

namespace tessarin {

namespace {

// Keeps what is said meanwhile instead of showing it; asks nothing.
class CHeldMessages : public CSilentMessages {
public:
    MessageAnswer Show(const CMessage& message) override {
        held.push_back(message);
        return CSilentMessages::Show(message);
    }
    std::vector<CMessage> held;
};

// Holds the context's messages while it lives.
class CHolding {
public:
    explicit CHolding(CCoreContext& context) : m_context(context), m_shown(context.Messages()) {
        m_context.SetMessages(&m_messages);
    }
    ~CHolding() { m_context.SetMessages(&m_shown); }
    CHolding(const CHolding&) = delete;
    CHolding& operator=(const CHolding&) = delete;

    const std::vector<CMessage>& Held() const { return m_messages.held; }
    // Shows what was held, as it would have been.
    void Release() {
        for (const CMessage& message : m_messages.held)
            m_shown.Show(message);
        m_messages.held.clear();
    }

private:
    CCoreContext& m_context;
    IMessageSink& m_shown;
    CHeldMessages m_messages;
};

QString Text(const CStringTable& strings, const CMessage& message) {
    const std::vector<std::string_view> args(message.args.begin(), message.args.end());
    return Cp1252ToQString(FormatText(strings.Get(message.id), args));
}

}  // namespace

CStartRecovery::CStartRecovery(CCoreContext& context, IShellPrompts& prompts, IFilePrompts* files,
                               CBackups backups)
    : m_context(context), m_prompts(prompts), m_files(files), m_backups(std::move(backups)) {
    if (!m_files) {
        m_ownFiles = MakeDialogFilePrompts(context.Strings(), context.Messages(), nullptr);
        m_files = m_ownFiles.get();
    }
}

CStartRecovery::~CStartRecovery() = default;

bool CStartRecovery::OpenOrRecover(const std::string& folder, const std::function<bool()>& open) {
    const CStringTable& strings = m_context.Strings();
    for (;;) {
        CStartFailure failure;
        {
            CHolding holding(m_context);
            if (open()) {
                holding.Release();
                return true;
            }
            for (const CMessage& message : holding.Held())
                failure.why += (failure.why.isEmpty() ? QString() : QStringLiteral("\n")) +
                               Text(strings, message);
        }
        const std::optional<CBackupFile> newest = NewestAutoBackup(
            strings, m_backups.documentsFolder, m_backups.platformText, m_backups.userName);
        if (newest) {
            const QFileInfo file(QString::fromStdString(newest->path));
            failure.newestBackup = file.fileName();
            failure.written = QLocale::system().toString(file.lastModified(), QLocale::ShortFormat);
        }
        failure.backupFolder = QDir::toNativeSeparators(
            QString::fromStdString(AutoBackupFolder(strings, m_backups.documentsFolder)));

        std::optional<std::string> backup;
        switch (m_prompts.AskStartFailure(failure)) {
            case StartFailureChoice::Quit:
                return false;
            case StartFailureChoice::TryAgain:
                continue;
            case StartFailureChoice::RestoreNewest:
                if (newest)
                    backup = newest->path;
                break;
            case StartFailureChoice::RestoreOther:
                backup = m_files->OpenFile(str::kRestoreTitle, str::kVexOpenFilter, 0);
                break;
        }
        // Restored or not, the database is read again: the next failure says why.
        if (backup)
            Restore(folder, *backup);
    }
}

bool CStartRecovery::Restore(const std::string& folder, const std::string& path) {
    CDatabaseObj database(m_context);
    {
        // It fails as it did; what it says has been said.
        CHolding quiet(m_context);
        Open(database, folder);
    }
    CAllTypesList list(database);
    const CImportOutcome outcome =
        tessarin::Restore(database, path, list, m_files->ImportPassword());
    if (outcome.result != CImportOutcome::Imported || !outcome.save.Ok())
        return false;
    if (!outcome.keptAt.empty())
        m_context.ShowMessage(str::kRestoreKeptAt, {Utf8ToCp1252Shown(outcome.keptAt)},
                              MessageIcon::Information);
    return true;
}

}  // namespace tessarin
