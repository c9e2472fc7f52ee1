#pragma once

// Backups: an exchange file (version 2.0) of all records. Restore replaces the database by one;
// the automatic backup is written when the program ends after the database changed.
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/import_file.h"

namespace tessarin {

class CStringTable;

// <documents>/Marrowgate/Tessarin/Backup
std::string AutoBackupFolder(const CStringTable& strings, const std::string& documentsFolder);

// "Tessarin-<platform text>-<user name>.vex", with every \ / : * ? " < > | made an underscore.
std::string AutoBackupFileName(std::string_view platformText, std::string_view userName);

// A dated copy of the automatic backup: the file name without ".vex", a space, the local date and
// time as "YYYY-MM-DD HH-MM-SS", then ".vex" ("Tessarin--_Standalone_ 2024-05-01 13-45-07.vex").
std::string DatedBackupFileName(std::string_view fileName, std::time_t when);
// The dated copies of `fileName` in `folder`, oldest first. Only names of exactly that form count:
// nothing else in the folder, nor another user's copies, is ever taken for one.
std::vector<std::string> DatedBackups(const std::string& folder, std::string_view fileName);

// Writes the automatic backup, with the database's own key, over the user's previous one: only
// when the database changed since the program started and holds records, and a documents folder is
// known. The folders are made as needed. Then a copy of it named with `now` joins the series of
// dated copies, of which the newest `keep` stay (0: no copies, and none are removed). Nothing is
// shown, whatever happens; true when the backup was written.
bool AutoBackup(CDatabaseObj& database, bool databaseChanged, const std::string& documentsFolder,
                std::string_view platformText, std::string_view userName, unsigned keep,
                std::time_t now = std::time(nullptr));

// Replaces every type, category and record by those of the backup at `path` (see ImportFile).
CImportOutcome Restore(CDatabaseObj& database, const std::string& path, IRecordList& list,
                       IFilePasswordPrompt& prompt);

}  // namespace tessarin
