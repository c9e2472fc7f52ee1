#pragma once

// Exports: exchange files (version 2.0, plain or protected) and CSV files of the records of a
// scope, and the record clipboard's text. The whole text is built in memory first; only then is
// the file written, safely (a temporary file renamed over the target, readable by its owner only).
#include <string>
#include <vector>

#include "exchange/record_list.h"

namespace tessarin {

class CKeySchedule;

enum class ExportFormat { Vex, Csv };

enum class ExportScope {
    All = 0,          // the database's live records, in list order
    CurrentView = 1,  // the list's rows, in display order
    Selected = 2,     // the list's selected rows, in display order
};

std::vector<const CRecord*> RecordsInScope(const CDatabaseObj& database, ExportScope scope,
                                           const IRecordList* list);

// An exchange file: the magic, the protection line, then for each record its type row (when its
// type differs from the record before) and its record row. With a key every value is enciphered.
std::string BuildVexText(CDatabaseObj& database, const std::vector<const CRecord*>& records,
                         const CKeySchedule* key);

// A CSV file: the magic, then one line a record: type, six fields, note, category.
std::string BuildCsvText(const CDatabaseObj& database, const std::vector<const CRecord*>& records);

// The unprotected exchange text of the list's selected records, for the record clipboard.
std::string WriteClipboardText(CDatabaseObj& database, const IRecordList& list);

// Writes the records of the scope to a new file at `path`. False on failure, after message 602
// when the file could not be created (unless quiet); the caller says 603.
bool WriteExchange(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                   const IRecordList* list, const std::string& path, const CKeySchedule* key,
                   bool quiet = false);

// The export and backup commands once their questions are answered: WriteExchange, then message
// 603 on failure. The caller says the command's success message.
bool ExportToFile(CDatabaseObj& database, ExportFormat format, ExportScope scope,
                  const IRecordList* list, const std::string& path, const CKeySchedule* key);

}  // namespace tessarin
