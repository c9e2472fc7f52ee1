#pragma once

// Reading a database from its file and writing it back.
#include <cerrno>
#include <string>

#include "store/database.h"

namespace tessarin {

// Result of a load whose content is malformed (an errno value no file operation gives here).
struct CItemWanted;

inline constexpr int kLoadMalformed = EBADMSG;

// Reads the file at `path` into the emptied database, deciphering with the context's held key. 0 on
// success; otherwise the errno value of the failed open or read, or kLoadMalformed, with a
// description in `detail`. After a failure the lists keep what was read.
// With `wanted`, only that item is kept. `opened` tells whether the file could be opened.
int ReadDatabaseFile(CDatabaseObj& database, const std::string& path, std::string* detail,
                     const CItemWanted* wanted = nullptr, bool* opened = nullptr);

// Writes the database to `path` safely (a temporary file renamed over it once complete). 0 on
// success, else the errno value (or -1 when the failure has none), with a description in `detail`.
int WriteDatabaseFile(const CDatabaseObj& database, const std::string& path, std::string* detail);

}  // namespace tessarin
