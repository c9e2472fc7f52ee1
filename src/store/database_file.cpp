#include "store/database_file.h"

#include <cerrno>
#include <new>

#include "base/unique_handle.h"
#include "store/core_context.h"
#include "store/database_archive.h"
#include "store/file_io.h"

namespace tessarin {

CStoreResult ReadDatabaseFile(CDatabaseObj& database, const std::string& path,
                              const CItemWanted* wanted, CFileHandle* opened) {
    CFileHandle fd(OpenForReading(path));
    if (!fd)
        return CStoreResult::Failure(StoreCode::OpenFailed, errno, path,
                                     "the file could not be opened");
    struct CHandOver {
        CFileHandle& fd;
        CFileHandle* opened;
        ~CHandOver() {
            if (opened)
                *opened = std::move(fd);
        }
    } handOver{fd, opened};
    try {
        CFileSource source(fd.Get());
        LoadDatabase(database, source, database.Context().DatabaseKey(), wanted);
    } catch (const CFileError& e) {
        return CStoreResult::Failure(StoreCode::ReadFailed, e.Code() ? e.Code() : EIO, path,
                                     e.what());
    } catch (const CArchiveError& e) {
        return CStoreResult::Failure(StoreCode::Malformed, 0, path, e.what());
    } catch (const std::bad_alloc&) {
        return CStoreResult::Failure(StoreCode::ReadFailed, ENOMEM, path,
                                     "there is not enough memory to read the file");
    }
    return CStoreResult::Success();
}

}  // namespace tessarin
