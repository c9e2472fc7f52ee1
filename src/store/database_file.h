#pragma once

// Reading a database from its file.
#include <string>

#include "base/unique_handle.h"
#include "store/database.h"
#include "store/store_result.h"

namespace tessarin {

struct CItemWanted;

// Reads the file at `path` into the emptied database, deciphering with the context's held key.
// OpenFailed (the errno value), ReadFailed (the errno value) or Malformed, each with a description
// in `detail`; after a failure the lists keep what was read. With `wanted`, only that item is kept.
// With `opened`, the file read (once it could be opened) is handed over open.
CStoreResult ReadDatabaseFile(CDatabaseObj& database, const std::string& path,
                              const CItemWanted* wanted = nullptr, CFileHandle* opened = nullptr);

}  // namespace tessarin
