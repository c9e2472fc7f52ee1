#pragma once

// A user's database on disk: loading it into the database object and saving it back.
#include <string>

#include "store/database.h"

namespace tessarin {

inline constexpr const char* kDatabaseFileName = "TessarinDatabase.tdb";

// Empties the database and reads the file at `path` into it, deciphering with the held key.
// - the file exists and reads: types and categories sorted by name; a file of an older version is
//   upgraded and saved at once; 0.
// - the file does not exist: when the sync platform manager wants defaults, the built-in types and
//   categories are created and saved (the save's result); otherwise 0 and the database stays empty.
// - otherwise the errno value of the failed open, or kLoadMalformed, with the reason in `detail`;
//   the lists keep what was read.
int Load(CDatabaseObj& database, const std::string& path, std::string* detail = nullptr);

// Writes the database to its path: -1 while saving is suspended; otherwise 0 or the errno value of
// the failure, with the reason in `detail`.
int Save(CDatabaseObj& database, std::string* detail = nullptr);

}  // namespace tessarin
