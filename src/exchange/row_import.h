#pragma once

// The row import that every import format feeds: rows become types, categories and records, the
// database is saved, and the sync listener is told what was added.
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/import_row.h"
#include "exchange/record_list.h"
#include "store/store_result.h"

namespace tessarin {

// Type names are cut to this many characters on import.
inline constexpr size_t kMaxTypeNameLength = 31;

struct CImportOutcome {
    enum Result {
        Imported,   // the rows were read (some may have been refused, see below)
        Cancelled,  // the password was not given: nothing changed, nothing said
        Failed,     // nothing imported, after a message
    } result = Imported;
    ExchangeFormat format = ExchangeFormat::Detect;  // what the file was read as, once known
    size_t records = 0;                              // records added
    size_t skipped = 0;  // another manager's entries equal to a live record: not added
    // Another manager's entries imported with "?" for characters Windows-1252 cannot hold: a line
    // each, naming the record and the fields.
    std::vector<std::string> replaced;
    size_t refused = 0;         // rows not imported because their item would be too large
    bool stoppedEarly = false;  // part of the text was not read (a row without values, a zero byte)
    size_t cut = 0;             // exchange rows cut short inside (imported as far as they go)
    size_t unreadable = 0;      // rows without the values a record needs (left out, as ever)
    size_t firstBadLine = 0;    // the line of the first cut or unreadable row
    CStoreResult save;          // of the save that ends an import
    std::string keptAt;         // a restore: where the database it replaced was kept

    // Everything in the text was imported and saved.
    bool Complete() const {
        return result == Imported && refused == 0 && !stoppedEarly && save.Ok();
    }
    // Every row of the text was read whole: what a restore needs before it replaces anything.
    bool ReadWhole() const {
        return result == Imported && refused == 0 && !stoppedEarly && cut == 0 && unreadable == 0;
    }
};

// Imports a text in memory in a fixed format (not Detect). The text ends at its first zero byte.
// A protected exchange text needs the key that opens it (message 608 otherwise, and nothing is
// imported). Each record of a type the list shows is added to it and selected; then the database
// is saved and marked as changed, the notices are posted and the list is refilled. Rows that would
// make an item too large to encipher whole are refused, and a row without values ends the import,
// each with a message.
CImportOutcome ImportText(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                          const CKeySchedule* key, IRecordList& list);

// The two halves of ImportText. ImportRows adds the rows to the database, with the messages of
// rows refused or not read, and hands over the notices of what it created, but saves, announces
// and refills nothing; FinishImport does that. A restore reads into a database of its own first
// and finishes only once everything was read.
CImportOutcome ImportRows(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                          const CKeySchedule* key, IRecordList& list, CNoticeList& notices);
void FinishImport(CDatabaseObj& database, IRecordList& list, const CNoticeList& notices,
                  CImportOutcome& outcome);

// The rows of a text read ahead of their import. Reading touches neither a database nor the
// context, so it may run on another thread than the import, which works on both.
struct CParsedEnd {
    std::optional<size_t> stoppedAt;  // a row without values ended the reading there
    bool unreadable = false;          // ... because the text cannot be read from there on
    std::optional<size_t> zeroAt;     // more than padding follows a zero byte there
    bool outOfMemory = false;         // the rows read so far are imported
};
struct CParsedRows {
    std::vector<CImportRow> rows;
    std::vector<size_t> offsets;  // where each row began in the text
    size_t textSize = 0;          // what was read: the text up to its first zero byte
    bool wrongKey = false;        // a protected exchange text the key does not open: no rows
    CParsedEnd end;
};

// ParseRows asks its progress function once every this many rows.
inline constexpr size_t kParseProgressRows = 512;

// Reads the rows of `text` in `format` (not Detect) as ImportRows would, without importing them.
// `progress` is asked now and then with the offset reached; when it answers false the reading
// stops and ParseRows returns false (cancelled).
bool ParseRows(ExchangeFormat format, std::string_view text, const CKeySchedule* key,
               CParsedRows& parsed, const std::function<bool(size_t offset)>& progress = {});

// ImportRows over rows read ahead by ParseRows, in portions: the caller may let its window answer
// between them. Import, then Finish once; then FinishImport as after ImportRows.
class CRowImporter {
public:
    // `text` is the one the rows were read from; it must outlive the importer.
    CRowImporter(CDatabaseObj& database, ExchangeFormat format, std::string_view text,
                 IRecordList& list);
    ~CRowImporter();
    CRowImporter(const CRowImporter&) = delete;
    CRowImporter& operator=(const CRowImporter&) = delete;

    // Imports rows [from, to) of `parsed`; each imported row is emptied.
    void Import(CParsedRows& parsed, size_t from, size_t to);
    // The messages of what was refused or not read, and the notices of what was created.
    CImportOutcome Finish(const CParsedRows& parsed, CNoticeList& notices);

private:
    struct CState;
    CDatabaseObj& m_database;
    std::string_view m_text;
    std::optional<size_t> m_ignored;
    std::unique_ptr<CState> m_state;
};

}  // namespace tessarin
