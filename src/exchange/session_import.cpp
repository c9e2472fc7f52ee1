#include "exchange/session_import.h"

#include "security/blowfish.h"

namespace tessarin {

void CommitImport(CDatabaseSession& session, const CSessionImportList& list,
                  const CNoticeList& notices, CImportOutcome& outcome) {
    CDatabaseSession::CChange change(session);
    change.AddedInBulk(list.Made(), notices);
    outcome.save = change.Commit();
}

CImportOutcome ImportText(CDatabaseSession& session, const IListedRecords& listed,
                          ExchangeFormat format, std::string_view text, const CKeySchedule* key) {
    CSessionImportList list(listed);
    CNoticeList notices;
    CImportOutcome outcome = ImportRows(session.Database(), format, text, key, list, notices);
    if (outcome.result == CImportOutcome::Imported)
        CommitImport(session, list, notices, outcome);
    return outcome;
}

CImportOutcome ReplaceDatabase(CDatabaseSession& session, CDatabaseObj& staging,
                               const CNoticeList& notices, CImportOutcome outcome) {
    return ReplaceOnceKept(session.Database(), std::move(outcome), [&] {
        CDatabaseSession::CChange change(session);
        change.ReplaceAll(staging, notices);
        return change.Commit();
    });
}

CImportOutcome ImportFile(CDatabaseSession& session, const IListedRecords& listed,
                          ExchangeFormat format, const std::string& path, bool replace,
                          IFilePasswordPrompt& prompt) {
    const CImportSource source = ReadImportSource(path, format, replace);
    CFileKey key;
    if (std::optional<CImportOutcome> ended = CheckSource(session.Context(), source, prompt, key))
        return *ended;
    const std::string_view text = source.bytes.View();
    CImportOutcome outcome;
    if (replace) {
        CDatabaseObj staging(session.Context());
        CAllTypesList stagingList(staging);
        CNoticeList notices;
        outcome = ImportRows(staging, ExchangeFormat::Vex2, text, key.key, stagingList, notices);
        outcome = ReplaceDatabase(session, staging, notices, std::move(outcome));
    } else {
        outcome = ImportText(session, listed, source.format, text, key.key);
    }
    outcome.format = source.format;
    return outcome;
}

}  // namespace tessarin
