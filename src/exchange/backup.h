#pragma once

// Backups: an exchange file (version 2.0) of all records. Restore replaces the database by one;
// the automatic backup is written when the program ends after the database changed.
#include <string>
#include <string_view>

#include "exchange/import_file.h"

namespace tessarin {

class CStringTable;

// <documents>/Marrowgate/Tessarin/Backup
std::string AutoBackupFolder(const CStringTable& strings, const std::string& documentsFolder);

// "Tessarin-<platform text>-<user name>.vex", with every \ / : * ? " < > | made an underscore.
std::string AutoBackupFileName(std::string_view platformText, std::string_view userName);

// Writes the automatic backup, with the database's own key, over the user's previous one: only
// when the database changed since the program started and holds records, and a documents folder is
// known. The folders are made as needed. Nothing is shown, whatever happens; true when written.
bool AutoBackup(CDatabaseObj& database, bool databaseChanged, const std::string& documentsFolder,
                std::string_view platformText, std::string_view userName);

// Replaces every type, category and record by those of the backup at `path` (see ImportFile).
CImportOutcome Restore(CDatabaseObj& database, const std::string& path, IRecordList& list,
                       IFilePasswordPrompt& prompt);

}  // namespace tessarin
