#pragma once

// Imports into the desktop program's open database. The rows go into the database as in every
// import; the import then ends as one change of the session: one save, then the notices of what the
// file now holds, then the observers, which build their lists anew and select the records made of
// a type the list shows. A failed save is said once, announces nothing and keeps the records in
// memory, unsaved, for the next save.
#include <string>
#include <string_view>
#include <vector>

#include "exchange/import_file.h"
#include "exchange/record_list.h"
#include "store/database_session.h"

namespace tessarin {

// The list a row import is given: it answers for the list that shows the database and keeps the
// records the import made of a type that list shows. What the import would tell the list besides
// is the session's change.
class CSessionImportList : public IRecordList {
public:
    explicit CSessionImportList(const IListedRecords& listed) : m_listed(listed) {}

    ItemKey TypeFilter() const override { return m_listed.TypeFilter(); }
    std::vector<const CRecord*> ShownRecords() const override { return m_listed.ShownRecords(); }
    std::vector<const CRecord*> SelectedRecords() const override {
        return m_listed.SelectedRecords();
    }
    void AddAndSelect(CRecord& record) override { m_made.push_back(&record); }
    void RemoveAll() override {}
    void Refill() override {}
    void MarkDatabaseChanged() override {}

    const std::vector<CRecord*>& Made() const { return m_made; }

private:
    const IListedRecords& m_listed;
    std::vector<CRecord*> m_made;
};

// Ends an import whose rows ImportRows or CRowImporter added with `list` as one change of the
// session; the outcome's save is the commit's.
void CommitImport(CDatabaseSession& session, const CSessionImportList& list,
                  const CNoticeList& notices, CImportOutcome& outcome);

// ImportText (row_import.h) into the session's database.
CImportOutcome ImportText(CDatabaseSession& session, const IListedRecords& listed,
                          ExchangeFormat format, std::string_view text, const CKeySchedule* key);

// ReplaceDatabase (import_file.h) of the session's database: the replacement is one change.
CImportOutcome ReplaceDatabase(CDatabaseSession& session, CDatabaseObj& staging,
                               const CNoticeList& notices, CImportOutcome outcome);

// ImportFile (import_file.h) into the session's database.
CImportOutcome ImportFile(CDatabaseSession& session, const IListedRecords& listed,
                          ExchangeFormat format, const std::string& path, bool replace,
                          IFilePasswordPrompt& prompt);

}  // namespace tessarin
