#pragma once

// What "ls", "show" and "print" share: the options that choose the list's rows (filters, sort,
// find, masking) and the list built from them over the opened database, in the user's locale.
#include <memory>
#include <vector>

#include "cli/command.h"
#include "listing/record_list_model.h"
#include "store/database.h"

namespace tessarin {
class CQtLocale;
}

namespace tessarin::cli {

class CCliSession;

// The options that choose the rows.
std::vector<COptionSpec> RowChoiceOptions();
// Those and "--json", for the commands that write rows as text.
std::vector<COptionSpec> ListOptions();

// The sort the list starts with: the user's "Sort Info" preference (column 1 ascending when it
// is not set).
uint32_t StoredSortInfo(CCliSession& session);

class CListQuery {
public:
    explicit CListQuery(CCliSession& session);
    ~CListQuery();

    // Opens the database and fills the list as the options say. 0, or the exit code after a
    // message.
    int Run(const CParsedArgs& args);

    const CDatabaseObj& Database() const { return m_database; }
    const CRecordListModel& List() const { return m_list; }
    // The column layout the list is shown with under its type filter: the type's own, or the
    // user's "Show Columns2" for all types and for Unfiled.
    CColumnLayout LayoutInForce() const;

private:
    CCliSession& m_session;
    std::unique_ptr<CQtLocale> m_locale;
    CDatabaseObj m_database;
    CRecordListModel m_list;
};

}  // namespace tessarin::cli
