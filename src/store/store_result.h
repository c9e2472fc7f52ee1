#pragma once

// What an operation on the database file, or an import that ends in a save, did: a code, and the
// detail a message needs (the errno value, the file, what went wrong, the message already shown).
#include <string>

namespace tessarin {

class CStringTable;

enum class StoreCode {
    Ok,
    // The lock shared with the other processes was not obtained within the wait.
    LockTimeout,
    // Saving is suspended while the program is locked.
    SaveSuspended,
    // The file exists but was never read (the lock was not obtained, or it could not be opened):
    // it is never saved over.
    NotRead,
    // The key held does not open the file: the database password was changed elsewhere (another
    // process, a sync). Nothing is read and nothing saved until the right password is given.
    KeyChanged,
    // The file could not be opened (error).
    OpenFailed,
    // Reading failed part way (error), or the content is malformed (no error).
    ReadFailed,
    Malformed,
    // The file could not be written (error); the previous file stays intact.
    WriteFailed,
    // A file could not be kept beside the database before it was replaced (error).
    KeepFailed,
    // The target folder already holds a database.
    TargetExists,
    // Moving or copying files failed (error).
    MoveFailed,
    // One folder lies within the other: moving would lose the copy.
    NestedFolders,
};

struct CStoreResult {
    StoreCode code = StoreCode::Ok;
    int error = 0;       // the errno value, where one applies
    int message = 0;     // the string number of the message already shown for it; 0 when none
    std::string path;    // the file or folder concerned
    std::string detail;  // what went wrong, in words (Windows-1252), where known

    bool Ok() const { return code == StoreCode::Ok; }

    static CStoreResult Success() { return {}; }
    static CStoreResult Failure(StoreCode code, int error = 0, std::string path = {},
                                std::string detail = {}) {
        CStoreResult result;
        result.code = code;
        result.error = error;
        result.path = std::move(path);
        result.detail = std::move(detail);
        return result;
    }
};

// What to tell the user of a result that is not Ok, in Windows-1252 (empty for Ok).
std::string ResultText(const CStoreResult& result, const CStringTable& strings);

}  // namespace tessarin
