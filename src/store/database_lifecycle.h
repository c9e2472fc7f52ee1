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

namespace tessarin {

inline constexpr const char* kDatabaseFileName = "TessarinDatabase.tdb";

// The database file in a folder.
std::string DatabasePathIn(const std::string& folder);

// Points the database at the folder's file, creating the folder (and its parents) when missing,
// then loads it.
int Open(CDatabaseObj& database, const std::string& folder);

// Empties the database and reads the file at `path` into it, holding the lock throughout.
// - -1: the lock was not obtained within the wait (nothing else changes; the file is never saved
//   over from this state).
// - the file reads: types and categories are sorted by name; a file of an older version is
//   upgraded and saved (quietly) at once, with that save's result; else 0.
// - no file there: when the sync platform manager wants defaults, the built-in types and
//   categories are created and saved (the save's result); otherwise 0 and the database stays empty.
// - the file exists but cannot be opened: its errno value, and it is never saved over.
// - the file is damaged: kLoadMalformed (or the errno value of a failed read), the lists keep what
//   was read, and the damaged file is kept beside itself before a save replaces it.
// `detail` receives the reason of a failure.
int Load(CDatabaseObj& database, const std::string& path, std::string* detail = nullptr);

// Writes the database to its file safely, holding the lock. -1 while saving is suspended, when the
// lock was not obtained (no message), when the database was never read from its existing file, or
// when writing failed part way (the previous file stays intact); otherwise 0, or the errno value of
// a file that could not be created. Failures other than the lock are reported as messages: 172
// for an unavailable volume (not when quiet), else 168 with the code.
int Save(CDatabaseObj& database, bool quiet = false);

// Saves, then moves the file (and the companion icon file) into `folder`. 0, the save's result, or
// the errno value of the move (EEXIST when the folder already holds a database).
int MoveTo(CDatabaseObj& database, const std::string& folder);

// The "Change Database Location" command once a folder is chosen: moves the database there unless
// it is already there. On success (or when the old file was not found) `storeFolder` records the
// folder as the user's database folder; otherwise message 171 (a database is already there) or 170.
int ChangeDatabaseLocation(CDatabaseObj& database, const std::string& folder,
                           const std::function<void(const std::string&)>& storeFolder);

// Moves a user's whole folder at start-up: when `previous` holds a database, copies the folder tree
// into `next`, then removes `previous`. 0 or the first errno value met; nothing is removed unless
// everything was copied, and nothing in `next` is replaced.
int MoveDatabaseFolder(const std::string& previous, const std::string& next);

// The item of that kind (-1: any) and number as the file on disk holds it now, or none.
std::unique_ptr<CBaseItem> ReadItemFromFile(CDatabaseObj& database, int kind,
                                            uint32_t recordNumber);

// Replaces the item in memory by the file's version of it; returns the item in memory, or none.
CBaseItem* RefreshItem(CDatabaseObj& database, int kind, uint32_t recordNumber);

// Empties the database and opens the folder's file again.
int ReloadAll(CDatabaseObj& database, const std::string& folder);

// Sets a new password (empty: none), saves, and announces every item as changed. The save's result.
int ChangePassword(CDatabaseObj& database, const CSecret& password);

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
    int result = 0;                      // of the reload
};

// Acts on a received notice: 1 reloads everything from `folder`, 2 reads the item and adds it, 3
// refreshes it, 4 takes it out of memory.
CNoticeOutcome HandleNotice(CDatabaseObj& database, const CChangeNotice& notice,
                            const std::string& folder);

}  // namespace tessarin
