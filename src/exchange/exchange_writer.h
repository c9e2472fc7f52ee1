#pragma once

// Exports: exchange files (version 2.0, plain or protected) and CSV files of the records of a
// scope, and the record clipboard's text. The whole text is built in memory first; only then is
// the file written, safely (a temporary file renamed over the target, readable by its owner only).
#include <functional>
#include <string>
#include <vector>

#include "exchange/record_list.h"
#include "store/byte_stream.h"

namespace tessarin {

class CKeySchedule;

enum class ExportFormat {
    Vex,
    Csv,
    // For other password managers: UTF-8 CSV in the layout of their own exports, always in clear
    // and written readable by its owner only.
    BitwardenCsv,
    KeePassXcCsv,
};

inline bool IsForOtherManager(ExportFormat format) {
    return format == ExportFormat::BitwardenCsv || format == ExportFormat::KeePassXcCsv;
}

enum class ExportScope {
    All = 0,          // the database's live records, in list order
    CurrentView = 1,  // the list's rows, in display order
    Selected = 2,     // the list's selected rows, in display order
};

std::vector<const CRecord*> RecordsInScope(const CDatabaseObj& database, ExportScope scope,
                                           const IListedRecords* list);

// An exchange file: the magic, the protection line, then for each record its type row (when its
// type differs from the record before) and its record row. With a key every value is enciphered.
std::string BuildVexText(CDatabaseObj& database, const std::vector<const CRecord*>& records,
                         const CKeySchedule* key);

// A CSV file: the magic, then one line a record: type, six fields, note, category.
std::string BuildCsvText(const CDatabaseObj& database, const std::vector<const CRecord*>& records);

// A CSV file that Bitwarden or KeePassXC imports: their first line, then one line a record. A
// "Web Logins" record fills the name, username, password, URL and TOTP columns; any other record
// is a secure note (KeePassXC: an entry) named by field 1 whose notes begin with "Type: NAME" and a
// "label: value" line for each field from field 2 up to the last one with a value, then an empty
// line and the record's note. The category is the folder (KeePassXC: a group under "Root").
std::string BuildManagerCsvText(const CDatabaseObj& database,
                                const std::vector<const CRecord*>& records, ExportFormat format);

// The whole text of an export in any format (a key only for exchange files).
std::string BuildExportText(CDatabaseObj& database, ExportFormat format,
                            const std::vector<const CRecord*>& records, const CKeySchedule* key);

// Writes a file that holds records in clear: a temporary file in the same folder, readable by its
// owner only whatever the umask, flushed and renamed over `path` (a link planted there is replaced,
// never followed). CFileError on failure, the temporary file removed.
void WritePrivateFile(const std::string& path, const std::function<void(IByteSink&)>& write);

// The unprotected exchange text of the list's selected records, for the record clipboard.
std::string WriteClipboardText(CDatabaseObj& database, const IListedRecords& list);

// Writes the records of the scope to a new file at `path`. False on failure, after message 602
// when the file could not be created (unless quiet); the caller says 603.
bool WriteExchange(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                   const IListedRecords* list, const std::string& path, const CKeySchedule* key,
                   bool quiet = false);

// The export and backup commands once their questions are answered: WriteExchange, then message
// 603 on failure. The caller says the command's success message.
bool ExportToFile(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                  const IListedRecords* list, const std::string& path, const CKeySchedule* key);

}  // namespace tessarin
