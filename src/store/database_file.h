#pragma once

// Reading a database from its file and writing it back.
#include <cerrno>
#include <string>

#include "store/database.h"

namespace tessarin {

// Result of a load whose content is malformed (an errno value no file operation gives here).
inline constexpr int kLoadMalformed = EBADMSG;

// Reads the file at `path` into the emptied database, deciphering with the context's held key. 0 on
// success; otherwise the errno value of the failed open or read, or kLoadMalformed, with a
// description in `detail`. After a failure the lists keep what was read.
int ReadDatabaseFile(CDatabaseObj& database, const std::string& path, std::string* detail);

// Writes the database to `path` safely (a temporary file renamed over it once complete). 0 on
// success, else the errno value (or -1 when the failure has none), with a description in `detail`.
int WriteDatabaseFile(const CDatabaseObj& database, const std::string& path, std::string* detail);

// As WriteDatabaseFile for a file that must not exist yet: EEXIST when it does.
int WriteNewDatabaseFile(const CDatabaseObj& database, const std::string& path,
                         std::string* detail);

}  // namespace tessarin
