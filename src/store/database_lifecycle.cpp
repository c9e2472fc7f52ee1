#include "store/database_lifecycle.h"

#include <cerrno>

#include "store/builtins.h"
#include "store/core_context.h"
#include "store/database_file.h"

namespace tessarin {

int Load(CDatabaseObj& database, const std::string& path, std::string* detail) {
    database.Empty();
    database.m_path = path;
    const int read = ReadDatabaseFile(database, path, detail);
    if (read == ENOENT) {
        // No database yet. (A file that exists but cannot be opened is reported, never replaced.)
        if (!database.Context().Manager().PlatformWantsDefaults())
            return 0;
        CreateBuiltInTypes(database.m_types);
        CreateBuiltInCategories(database.m_categories);
        return Save(database, detail);
    }
    if (read != 0)
        return read;
    database.m_types.Sort();
    database.m_categories.Sort();
    if (database.m_version < kCurrentVersion) {
        database.m_version = kCurrentVersion;
        return Save(database, detail);
    }
    return 0;
}

int Save(CDatabaseObj& database, std::string* detail) {
    if (database.m_saveSuspended)
        return -1;
    return WriteDatabaseFile(database, database.m_path, detail);
}

}  // namespace tessarin
