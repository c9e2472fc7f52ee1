#pragma once

// A user's database on disk: where it lives, loading and saving it under the lock shared with the
// other processes, moving it, re-reading single items that another process changed, and the change
// notices that tell the sync listener what changed.
#include <functional>
#include <memory>
#include <string>

#include "base/secure_memory.h"
#include "store/change_notice.h"
#include "store/database.h"
#include "store/store_result.h"

namespace tessarin {

inline constexpr const char* kDatabaseFileName = "TessarinDatabase.tdb";

// The database file in a folder.
std::string DatabasePathIn(const std::string& folder);

// Points the database at the folder's file, creating the folder (and its parents) when missing,
// then loads it.
CStoreResult Open(CDatabaseObj& database, const std::string& folder);

// Reads the file at `path` into the database, holding the lock throughout.
// - LockTimeout: the lock was not obtained within the wait; the database is emptied and the file
//   is never saved over from this state.
// - KeyChanged: the held key does not open the file (its password was changed elsewhere); nothing
//   is read and nothing in memory changes.
// - the file reads: types and categories are sorted by name; a file of an older version is
//   upgraded and saved (quietly) at once, with that save's result; else Ok.
// - no file there: when the sync platform wants defaults, the built-in types and categories are
//   created and saved (the save's result); otherwise Ok and the database stays empty.
// - OpenFailed: the file exists but cannot be opened; it is never saved over.
// - ReadFailed, Malformed: the file is damaged; the lists keep what was read, and the damaged
//   file is kept beside itself before a save replaces it.
CStoreResult Load(CDatabaseObj& database, const std::string& path);

// Writes the database to its file safely, holding the lock. When the file is no longer the one
// this object last read or wrote, what its writer changed is brought in first (see
// BringInOutsideChanges), so that the file gets exactly this process's changes on top of what it
// holds; the observer is told, also when the write then fails. SaveSuspended while the program is
// locked, NotRead for a file that was never read, LockTimeout, KeyChanged when the held key does
// not fit the database or the file on disk now has another password than the one last read or
// written here (the file is left alone until the right password is given), KeepFailed when a
// damaged file could not be kept beside itself, WriteFailed (the previous file stays intact). No
// message for the first four; otherwise 172 for an unavailable volume (not when quiet), else 168
// with the code.
CStoreResult Save(CDatabaseObj& database, bool quiet = false);

// Brings into memory what other writers saved since this object last read or wrote the file,
// item by item (the rule is in database_merge.h), without writing: Ok (also when nothing
// changed), NotRead, LockTimeout, KeyChanged (the file has another password), or the read's
// failure for a file that cannot be read whole (memory stays as it was). The database's observer
// is told what changed.
CStoreResult BringInOutsideChanges(CDatabaseObj& database);

// Saves, then moves the file (and the companion icon file) into `folder`: the save's result,
// TargetExists when the folder already holds a database, or MoveFailed with the errno value.
CStoreResult MoveTo(CDatabaseObj& database, const std::string& folder);

// The "Change Database Location" command once a folder is chosen: moves the database there unless
// it is already there. On success (or when the old file was not found) `storeFolder` records the
// folder as the user's database folder; otherwise message 171 (a database is already there) or 170
// (the move failed).
CStoreResult ChangeDatabaseLocation(CDatabaseObj& database, const std::string& folder,
                                    const std::function<void(const std::string&)>& storeFolder);

// Moves a user's whole folder at start-up: when `previous` holds a database, copies the folder tree
// into `next`, then removes `previous`. NestedFolders when one lies within the other, MoveFailed
// with the first errno value met; nothing is removed unless everything was copied, and nothing in
// `next` is replaced.
CStoreResult MoveDatabaseFolder(const std::string& previous, const std::string& next);

// Copies the database's file beside itself under `suffix` (then `suffix`-2, -3 and so on; nothing
// is overwritten), holding the lock; `keptAt` receives the copy's path. Ok with an empty `keptAt`
// when there is no file to keep.
CStoreResult KeepCopyBeside(CDatabaseObj& database, const std::string& suffix, std::string& keptAt);

// The item of that kind (-1: any) and number as the file on disk holds it now, or none; nothing is
// read when the lock is not obtained or the held key does not open the file (KeyChanged).
struct CReadItem {
    CStoreResult result;
    std::unique_ptr<CBaseItem> item;
};
CReadItem ReadItemFromFile(CDatabaseObj& database, int kind, uint32_t recordNumber);

// Replaces the item in memory by the file's version of it; the item in memory, or none.
struct CRefreshedItem {
    CStoreResult result;
    CBaseItem* item = nullptr;
};
CRefreshedItem RefreshItem(CDatabaseObj& database, int kind, uint32_t recordNumber);

// Whether the file on disk now has another password than the one this database last read or wrote
// (another process or a sync changed it): its loads, re-reads and saves would be refused
// (KeyChanged) until the new password is given and the file read again.
bool PasswordChangedElsewhere(const CDatabaseObj& database);

// Reads the folder's file again into the database (see Load).
CStoreResult ReloadAll(CDatabaseObj& database, const std::string& folder);

// The one way a database password changes: sets the new password (empty: none), saves, and
// announces every item as changed. When the save fails, the old key and check block are held
// again and nothing is announced.
CStoreResult ChangePassword(CDatabaseObj& database, const CSecret& password);

// Delivers change notices to the sync listener while the platform reports the current user as
// syncing; otherwise they are dropped.
void PostNotice(CCoreContext& context, const CChangeNotice& notice);
void PostNotices(CCoreContext& context, const CNoticeList& notices);
// A notice of action 3 for every type, then every category, then every record.
void NotifyAll(CDatabaseObj& database);

// What a notice received from another process did to the database in memory.
struct CNoticeOutcome {
    enum What { Nothing, Reloaded, Added, Changed, Removed } what = Nothing;
    CBaseItem* item = nullptr;           // added or changed
    std::unique_ptr<CBaseItem> removed;  // taken out of memory
    CStoreResult result;                 // of the reload or the read
};

// Acts on a received notice: 1 reloads everything from `folder`, 2 reads the item and adds it, 3
// refreshes it, 4 takes it out of memory.
CNoticeOutcome HandleNotice(CDatabaseObj& database, const CChangeNotice& notice,
                            const std::string& folder);

}  // namespace tessarin
