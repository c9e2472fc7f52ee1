#include "store/database_file.h"

#include <cerrno>

#include <unistd.h>

#include "store/core_context.h"
#include "store/database_archive.h"
#include "store/file_io.h"

namespace tessarin {

int ReadDatabaseFile(CDatabaseObj& database, const std::string& path, std::string* detail,
                     const CItemWanted* wanted, bool* opened) {
    const int fd = OpenForReading(path);
    if (opened)
        *opened = fd >= 0;
    if (fd < 0) {
        const int code = errno;
        if (detail)
            *detail = "the file could not be opened";
        return code;
    }
    int result = 0;
    try {
        CFileSource source(fd);
        LoadDatabase(database, source, database.Context().DatabaseKey(), wanted);
    } catch (const CFileError& e) {
        result = e.Code() ? e.Code() : EIO;
        if (detail)
            *detail = e.what();
    } catch (const CArchiveError& e) {
        result = kLoadMalformed;
        if (detail)
            *detail = e.what();
    } catch (const std::bad_alloc&) {
        result = ENOMEM;
        if (detail)
            *detail = "there is not enough memory to read the file";
    }
    ::close(fd);
    return result;
}

int WriteDatabaseFile(const CDatabaseObj& database, const std::string& path, std::string* detail) {
    CCoreContext& context = const_cast<CDatabaseObj&>(database).Context();
    try {
        WriteFileSafely(path, [&](IByteSink& sink) {
            StoreDatabase(database, sink, context.DatabaseKey(), context.Filler());
        });
    } catch (const CFileError& e) {
        if (detail)
            *detail = e.what();
        return e.Code() ? e.Code() : -1;
    }
    return 0;
}

}  // namespace tessarin
