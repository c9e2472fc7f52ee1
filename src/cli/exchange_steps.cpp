#include "cli/exchange_steps.h"

#include <filesystem>

#include "exchange/manager_formats.h"
#include "exchange/manager_import.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "security/password_rules.h"

namespace tessarin::cli {

std::optional<CSecret> AskNewFilePassword(CCliSession& session) {
    for (;;) {
        std::optional<CSecret> password = session.AskSecret(str::kCliFilePasswordPrompt);
        if (!password)
            return std::nullopt;
        std::optional<CSecret> confirm = session.AskSecret(str::kCliConfirmFilePasswordPrompt);
        if (!confirm)
            return std::nullopt;
        const CPasswordVerdict verdict = CheckExportPassword(*password, *confirm);
        if (verdict.Accepted())
            return password;
        session.Context().ShowMessage(verdict.message, {}, MessageIcon::Exclamation);
        if (!session.Io().terminal)
            return std::nullopt;
    }
}

std::optional<CSecret> CCliFilePrompt::AskFilePassword() {
    CCliIo& io = m_session.Io();
    // Without a terminal there is one line to read; after it the core has said 608.
    if (!io.terminal && m_asked)
        return std::nullopt;
    m_asked = true;
    bool ended = false;
    const CCliSession::CHoldPause pause(m_session);
    std::optional<CSecret> password = m_session.AskSecret(str::kCliImportPasswordPrompt, &ended);
    if (ended && !io.terminal)
        m_session.Context().ShowMessage(str::kImportWrongPassword, {}, MessageIcon::Exclamation);
    return password;
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    return fs::weakly_canonical(a, error) == fs::weakly_canonical(b, error);
}

int ExportAllRecords(CCliSession& session, ExportFormat format, bool protect,
                     const std::string& out, int successMessage) {
    CDatabaseObj database(session.Context());
    if (int code = session.OpenExisting(database))
        return code;
    // Written safely, the export would replace the database by a text file.
    if (SameFile(out, session.DatabasePath()))
        return session.Fail(str::kCliExportIsDatabase, {FromTerminal(out)});
    std::unique_ptr<CKeySchedule> key;
    if (protect) {
        std::optional<CSecret> password = AskNewFilePassword(session);
        if (!password)
            return kExitFailure;
        if (!password->Empty())
            key = MakeKeySchedule(*password);
    }
    if (!ExportToFile(database, format, ExportScope::All, nullptr, out, key.get()))
        return kExitFailure;
    session.Say(successMessage);
    return kExitOk;
}

int ReportImport(CCliSession& session, const CImportOutcome& outcome, int countMessage) {
    if (outcome.result != CImportOutcome::Imported)
        return kExitFailure;
    // Nothing is said to be imported that was not saved.
    if (int code = session.Report(outcome.save))
        return code;
    const CManagerFormat* manager = FindManagerFormat(outcome.format);
    if (!manager) {
        session.Say(countMessage, {std::to_string(outcome.records)});
    } else {
        session.Say(str::kManagerImportDone,
                    {session.Strings().Get(manager->name), std::to_string(outcome.records),
                     std::to_string(outcome.skipped)});
        if (!outcome.replaced.empty()) {
            // Changed text is a failure to import it whole.
            return session.Fail(
                str::kManagerCharactersReplaced,
                {std::to_string(outcome.replaced.size()), ReplacedList(outcome.replaced)});
        }
    }
    // Rows refused or not read have been named in a message: the import is not whole.
    return outcome.Complete() ? kExitOk : kExitFailure;
}

}  // namespace tessarin::cli
