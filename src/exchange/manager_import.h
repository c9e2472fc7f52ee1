#pragma once

// What the row import does beside its usual work for the exports of other password managers: it
// names each row's type from the string table (and takes the type and fields of the head that this
// program's own exports write), makes a built-in type the database lacks as the built-in type,
// skips a record equal to a live one, and lists the records in which characters became "?".
#include <memory>
#include <string>
#include <vector>

#include "exchange/import_row.h"
#include "store/change_notice.h"
#include "store/database.h"
#include "store/name_index.h"

namespace tessarin {

class CCoreContext;
struct CImportOutcome;

class CManagerImport {
public:
    CManagerImport(CDatabaseObj& database, CNameIndex& types, CNameIndex& categories,
                   CNoticeList& notices, std::string_view text);
    ~CManagerImport();

    // Gives the row its type name and, from a head, its type and fields; makes its type when that
    // is a built-in one the database lacks.
    void Prepare(CImportRow& row);
    // A live record (one made by this import included) has the type, category, six values and
    // note the row would give.
    bool IsPresent(const CImportRow& row);
    // A record the row made, which began at `rowAt` of the text.
    void Added(const CRecord& record, const CImportRow& row, size_t rowAt);

    // "line N, "NAME": FIELDS" for each record made with a "?" in place of a character.
    std::vector<std::string> TakeReplaced() { return std::move(m_replaced); }

private:
    size_t LineOf(size_t offset);
    void Remember(const CRecord& record);

    CDatabaseObj& m_database;
    CNameIndex& m_types;
    CNameIndex& m_categories;
    CNoticeList& m_notices;
    std::string_view m_text;
    // Live records by a hash of what makes them equal; filled at the first row.
    class CRecordTable;
    std::unique_ptr<CRecordTable> m_present;
    bool m_presentRead = false;
    std::vector<std::string> m_replaced;
    // The line count up to an offset, moved on as rows come in text order.
    size_t m_lineOffset = 0;
    size_t m_line = 1;
};

// The records in which characters became "?", one a line, for message 26011.
std::string ReplacedList(const std::vector<std::string>& entries);

// The closing messages of an import of another password manager's export: how many records were
// imported and skipped, and each record in which characters became "?".
void ReportManagerImport(CCoreContext& context, ExchangeFormat format,
                         const CImportOutcome& outcome);

}  // namespace tessarin
