#include "store/database_lifecycle.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/error_codes.h"
#include "resources/error_text.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/builtins.h"
#include "store/core_context.h"
#include "store/database_archive.h"
#include "store/database_file.h"
#include "store/database_key.h"
#include "store/file_io.h"

namespace tessarin {

namespace fs = std::filesystem;

namespace {

CStoreResult SaveFailure(CCoreContext& context, StoreCode code, int error, const std::string& path,
                         const std::string& detail, bool quiet) {
    CStoreResult result = CStoreResult::Failure(code, error, path, detail);
    if (IsVolumeUnavailable(error)) {
        if (!quiet) {
            context.ShowMessage(str::kDatabaseVolumeUnavailable, {}, MessageIcon::Error);
            result.message = str::kDatabaseVolumeUnavailable;
        }
        return result;
    }
    context.ShowMessage(
        str::kErrorSavingDatabase, {HexCode(error)}, MessageIcon::Error, MessageButtons::Ok,
        FileErrorDetail(context.Strings(), error, path, code != StoreCode::OpenFailed));
    result.message = str::kErrorSavingDatabase;
    return result;
}

// Copies the file beside itself under `suffix`, then `suffix`-2 and so on, never over an earlier
// copy. 0 or the errno value; `keptAt` receives the copy's path (empty when there was no file).
int KeepBeside(const std::string& path, const std::string& suffix, std::string& keptAt) {
    keptAt.clear();
    std::error_code error;
    if (!fs::exists(path, error))
        return 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string copy = path + suffix + (n == 1 ? "" : "-" + std::to_string(n));
        const int result = CopyFileNoReplace(path, copy);
        if (result == 0)
            keptAt = copy;
        if (!IsFileExists(result))
            return result;
    }
    return EEXIST;
}

// Removes what a saver that died half way left behind: its temporary file. Only called under the
// lock, when no other save can be writing one.
void RemoveStaleTemporaries(const std::string& path) {
    const fs::path target(path);
    const std::string prefix = "." + target.filename().string() + ".";
    std::error_code error;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
            fs::remove(entry.path(), error);
    }
}

// Under the lock: whether the held key opens the file at `path`. A file that cannot be opened, or
// is too short to hold a check block, is let through: reading it says what is wrong with it.
bool HeldKeyOpensFile(CCoreContext& context, const std::string& path) {
    const std::optional<CCheckBlock> stored = ReadStoredCheckBlock(path);
    return !stored || KeyOpens(context.DatabaseKey(), *stored);
}

// Under the lock: when the file is no longer the one this object last read or wrote, reads it and
// brings in what its writer changed (see database_merge.h). Ok when there was nothing to bring in
// (the same file, or none at all) or it was brought in; KeyChanged when the file has another
// password; otherwise the read's failure, with memory as it was.
CStoreResult BringInHeld(CDatabaseObj& database, CMergeOutcome& outcome) {
    CCoreContext& context = database.Context();
    const std::string& path = database.m_path;
    // A database never read from the file (a new one) replaces whatever is there.
    if (!database.m_knownFile.Known() || database.m_knownFile.Unchanged(path))
        return CStoreResult::Success();
    if (!HeldKeyOpensFile(context, path))
        return CStoreResult::Failure(StoreCode::KeyChanged, 0, path);
    CDatabaseObj theirs(context);
    CFileHandle opened;
    CStoreResult read = ReadDatabaseFile(theirs, path, nullptr, &opened);
    if (read.code == StoreCode::OpenFailed && read.error == ENOENT) {
        // Nothing there to bring in; the next save writes the file anew.
        database.m_knownFile.Take(CFileHandle());
        return CStoreResult::Success();
    }
    if (!read.Ok())
        return read;
    outcome = MergeFileIntoMemory(database, theirs);
    database.m_knownFile.Take(std::move(opened));
    database.m_fileCheckBlock = theirs.m_checkBlock;
    if (database.m_loadState == LoadState::Partial)
        database.m_loadState = LoadState::Loaded;  // the damaged file was replaced by a whole one
    return CStoreResult::Success();
}

// Runs `step` holding the lock (LockTimeout when it is not obtained), then tells the database's
// observer what a merge within it changed, once the lock is let go, whatever the step's result.
template <typename Step>
CStoreResult HoldingTheLock(CDatabaseObj& database, const Step& step) {
    CCoreContext& context = database.Context();
    CMergeOutcome outcome;
    CStoreResult result;
    {
        CLockHold hold(context.Lock(), context.m_lockTimeout);
        if (!hold.Held())
            return CStoreResult::Failure(StoreCode::LockTimeout, 0, database.m_path);
        result = step(outcome);
    }
    if (database.m_observer && !outcome.Empty())
        database.m_observer->MergedFromFile(outcome);
    return result;
}

bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::equivalent(a, b, error))
        return true;
    return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// Whether one folder lies within the other (or they are the same).
bool Nested(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const fs::path x = fs::weakly_canonical(a, error);
    const fs::path y = fs::weakly_canonical(b, error);
    auto within = [](const fs::path& inner, const fs::path& outer) {
        auto o = outer.begin();
        for (auto i = inner.begin(); o != outer.end(); ++i, ++o)
            if (i == inner.end() || *i != *o)
                return *o == "" && i == inner.end();
        return true;
    };
    return within(x, y) || within(y, x);
}

}  // namespace

std::string DatabasePathIn(const std::string& folder) {
    return (fs::path(folder) / kDatabaseFileName).string();
}

CStoreResult Open(CDatabaseObj& database, const std::string& folder) {
    std::error_code ignored;  // the load or the save reports what matters
    fs::create_directories(folder, ignored);
    return Load(database, DatabasePathIn(folder));
}

CStoreResult Load(CDatabaseObj& database, const std::string& path) {
    CCoreContext& context = database.Context();
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held()) {
        // Emptied, and standing for a file it never read: it is never saved over.
        database.Empty();
        database.m_path = path;
        database.m_loadState = LoadState::Unread;
        return CStoreResult::Failure(StoreCode::LockTimeout, 0, path);
    }
    // Deciphering under a key that no longer fits would read every item as garbage, and the next
    // save would write that garbage over them. Nothing changes, not even the path: what is in
    // memory still belongs to the file it came from.
    if (!HeldKeyOpensFile(context, path))
        return CStoreResult::Failure(StoreCode::KeyChanged, 0, path);
    database.Empty();
    database.m_path = path;
    CFileHandle opened;
    CStoreResult read = ReadDatabaseFile(database, path, nullptr, &opened);
    // What the file holds now, item by item, as the later saves compare with it.
    database.m_knownFile.Take(std::move(opened));
    TakeAsFiled(database);
    if (read.code == StoreCode::OpenFailed && read.error == ENOENT) {
        database.m_loadState = LoadState::Loaded;
        if (!context.Platform().PlatformWantsDefaults())
            return CStoreResult::Success();
        CreateBuiltInTypes(database.m_types);
        CreateBuiltInCategories(database.m_categories);
        return Save(database, false);
    }
    if (!read.Ok()) {
        // A file that could not be opened is left alone; one that was opened but could not be
        // read whole is kept beside itself before anything replaces it.
        if (read.code == StoreCode::OpenFailed) {
            database.m_loadState = LoadState::Unread;
            database.m_knownFile.Forget();
        } else {
            database.m_loadState = LoadState::Partial;
            database.m_fileCheckBlock = ReadStoredCheckBlock(path);
        }
        return read;
    }
    database.m_loadState = LoadState::Loaded;
    database.m_fileCheckBlock = database.m_checkBlock;
    database.m_types.Sort();
    database.m_categories.Sort();
    if (database.m_version < kCurrentVersion) {
        database.m_version = kCurrentVersion;
        return Save(database, true);
    }
    return CStoreResult::Success();
}

namespace {

// Save, once the lock is held.
CStoreResult SaveHeld(CDatabaseObj& database, bool quiet, CMergeOutcome& outcome) {
    CCoreContext& context = database.Context();
    const std::string& path = database.m_path;
    // Items are enciphered under the held key: it must be the key of the check block written with
    // them, and the file must still have the password this object knows of.
    if (!KeyOpens(context.DatabaseKey(), database.m_checkBlock))
        return CStoreResult::Failure(StoreCode::KeyChanged, 0, path);
    if (PasswordChangedElsewhere(database))
        return CStoreResult::Failure(StoreCode::KeyChanged, 0, path);
    RemoveStaleTemporaries(path);
    // Another writer's changes since this object last read or wrote the file go in first: the
    // file gets exactly this process's changes on top of what it holds now.
    CStoreResult brought = BringInHeld(database, outcome);
    if (brought.code == StoreCode::KeyChanged)
        return brought;
    if (brought.code == StoreCode::OpenFailed)
        return SaveFailure(context, StoreCode::OpenFailed, brought.error, path, brought.detail,
                           quiet);
    // A file that cannot be read whole is kept beside itself before this one replaces it.
    if (!brought.Ok() || database.m_loadState == LoadState::Partial) {
        std::string keptAt;
        if (const int kept = KeepBeside(path, ".damaged", keptAt))
            return SaveFailure(context, StoreCode::KeepFailed, kept, path,
                               "the damaged file could not be kept beside itself", quiet);
    }
    try {
        const auto write = [&] {
            WriteFileSafely(path, [&](IByteSink& sink) {
                StoreDatabase(database, sink, context.DatabaseKey(), context.Filler());
            });
            // What the file now holds, item by item, as the next save compares with it.
            database.m_loadState = LoadState::Loaded;
            database.m_fileCheckBlock = database.m_checkBlock;
            database.m_knownFile.TakePath(path);
            TakeAsFiled(database);
        };
        if (database.m_observer)
            database.m_observer->WriteFile(write);
        else
            write();
    } catch (const CFileError& e) {
        return SaveFailure(context, StoreCode::WriteFailed, e.Code() ? e.Code() : EIO, path,
                           e.what(), quiet);
    }
    return CStoreResult::Success();
}

}  // namespace

CStoreResult Save(CDatabaseObj& database, bool quiet) {
    const std::string& path = database.m_path;
    if (database.m_saveSuspended)
        return CStoreResult::Failure(StoreCode::SaveSuspended, 0, path);
    if (database.m_loadState == LoadState::Unread)
        return CStoreResult::Failure(StoreCode::NotRead, 0, path);
    return HoldingTheLock(
        database, [&](CMergeOutcome& outcome) { return SaveHeld(database, quiet, outcome); });
}

CStoreResult BringInOutsideChanges(CDatabaseObj& database) {
    if (database.m_loadState == LoadState::Unread)
        return CStoreResult::Failure(StoreCode::NotRead, 0, database.m_path);
    return HoldingTheLock(database, [&](CMergeOutcome& outcome) {
        if (PasswordChangedElsewhere(database))
            return CStoreResult::Failure(StoreCode::KeyChanged, 0, database.m_path);
        return BringInHeld(database, outcome);
    });
}

CStoreResult MoveTo(CDatabaseObj& database, const std::string& folder) {
    if (CStoreResult saved = Save(database, false); !saved.Ok())
        return saved;
    CCoreContext& context = database.Context();
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held())
        return CStoreResult::Failure(StoreCode::LockTimeout, 0, database.m_path);
    const std::string target = DatabasePathIn(folder);
    if (const int moved = MoveFileNoReplace(database.m_path, target))
        return CStoreResult::Failure(
            IsFileExists(moved) ? StoreCode::TargetExists : StoreCode::MoveFailed, moved, target);
    if (!database.m_handheldName.empty()) {
        const std::string icons = database.m_handheldName + ".pdb";
        const fs::path from = fs::path(database.m_path).parent_path() / icons;
        std::error_code error;
        if (fs::exists(from, error))
            MoveFileNoReplace(from.string(), (fs::path(folder) / icons).string());
    }
    database.m_path = target;
    database.m_knownFile.TakePath(target);
    return CStoreResult::Success();
}

CStoreResult ChangeDatabaseLocation(CDatabaseObj& database, const std::string& folder,
                                    const std::function<void(const std::string&)>& storeFolder) {
    // Folders are told apart as the file system does (on Linux, letter case matters).
    if (SameFolder(fs::path(database.m_path).parent_path().string(), folder))
        return CStoreResult::Success();
    CStoreResult result = MoveTo(database, folder);
    CCoreContext& context = database.Context();
    if (result.Ok() || (result.code == StoreCode::MoveFailed && IsPathNotFound(result.error))) {
        if (storeFolder)
            storeFolder(folder);
    } else if (result.code == StoreCode::TargetExists) {
        context.ShowMessage(str::kDatabaseAlreadyExists);
        result.message = str::kDatabaseAlreadyExists;
    } else if (result.code == StoreCode::MoveFailed) {
        context.ShowMessage(str::kErrorMovingDatabase);
        result.message = str::kErrorMovingDatabase;
    }
    return result;
}

CStoreResult MoveDatabaseFolder(const std::string& previous, const std::string& next) {
    if (previous.empty() || SameFolder(previous, next))
        return CStoreResult::Success();
    std::error_code error;
    if (!fs::exists(DatabasePathIn(previous), error))
        return CStoreResult::Success();
    // Copying a folder into itself, or removing the folder that holds the copy, would lose it all.
    if (Nested(previous, next))
        return CStoreResult::Failure(StoreCode::NestedFolders, EINVAL, next);
    fs::create_directories(next, error);
    if (error)
        return CStoreResult::Failure(StoreCode::MoveFailed, error.value(), next);
    for (auto it = fs::recursive_directory_iterator(previous, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path relative = fs::relative(it->path(), previous, error);
        const fs::path target = fs::path(next) / relative;
        if (it->is_directory(error)) {
            fs::create_directories(target, error);
        } else if (const int copied = CopyFileNoReplace(it->path().string(), target.string())) {
            return CStoreResult::Failure(StoreCode::MoveFailed, copied, target.string());
        }
    }
    if (error)
        return CStoreResult::Failure(StoreCode::MoveFailed, error.value(), previous);
    fs::remove_all(previous, error);
    if (error)
        return CStoreResult::Failure(StoreCode::MoveFailed, error.value(), previous);
    return CStoreResult::Success();
}

CStoreResult KeepCopyBeside(CDatabaseObj& database, const std::string& suffix,
                            std::string& keptAt) {
    CCoreContext& context = database.Context();
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held())
        return CStoreResult::Failure(StoreCode::LockTimeout, 0, database.m_path);
    // A copy of a large file, synced, is long file work as a save's write is.
    int kept = 0;
    const auto keep = [&] { kept = KeepBeside(database.m_path, suffix, keptAt); };
    if (database.m_observer)
        database.m_observer->WriteFile(keep);
    else
        keep();
    if (kept)
        return CStoreResult::Failure(StoreCode::KeepFailed, kept, database.m_path);
    return CStoreResult::Success();
}

CReadItem ReadItemFromFile(CDatabaseObj& database, int kind, uint32_t recordNumber) {
    CReadItem read;
    if (recordNumber == 0)
        return read;
    CCoreContext& context = database.Context();
    // Only reads: a missing or old file is not created or upgraded from here.
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held()) {
        read.result = CStoreResult::Failure(StoreCode::LockTimeout, 0, database.m_path);
        return read;
    }
    if (!HeldKeyOpensFile(context, database.m_path)) {
        read.result = CStoreResult::Failure(StoreCode::KeyChanged, 0, database.m_path);
        return read;
    }
    CDatabaseObj other(context);
    const CItemWanted wanted{kind, recordNumber};
    read.result = ReadDatabaseFile(other, database.m_path, &wanted);
    if (read.result.Ok())
        read.item = other.TakeItem(kind, recordNumber);
    return read;
}

CRefreshedItem RefreshItem(CDatabaseObj& database, int kind, uint32_t recordNumber) {
    CReadItem read = ReadItemFromFile(database, kind, recordNumber);
    CRefreshedItem refreshed{std::move(read.result)};
    if (!read.item)
        return refreshed;
    refreshed.item = database.FindItem(kind, recordNumber);
    if (refreshed.item)
        refreshed.item->CopyFrom(*read.item);
    return refreshed;
}

bool PasswordChangedElsewhere(const CDatabaseObj& database) {
    if (!database.m_fileCheckBlock)
        return false;
    const std::optional<CCheckBlock> stored = ReadStoredCheckBlock(database.m_path);
    return stored && *stored != *database.m_fileCheckBlock;
}

CStoreResult ReloadAll(CDatabaseObj& database, const std::string& folder) {
    // The load empties the database itself, once it knows that the file can be read.
    return Open(database, folder);
}

CStoreResult ChangePassword(CDatabaseObj& database, const CSecret& password) {
    CCoreContext& context = database.Context();
    if (database.m_saveSuspended)
        return CStoreResult::Failure(StoreCode::SaveSuspended, 0, database.m_path);
    // One hold of the lock from bringing in what others saved (under the old key) to the save
    // under the new one: no writer can put an item under the old key in between.
    CStoreResult result = HoldingTheLock(database, [&](CMergeOutcome& outcome) {
        if (PasswordChangedElsewhere(database))
            return CStoreResult::Failure(StoreCode::KeyChanged, 0, database.m_path);
        if (database.m_loadState != LoadState::Unread) {
            CStoreResult brought = BringInHeld(database, outcome);
            if (brought.code == StoreCode::KeyChanged || brought.code == StoreCode::OpenFailed)
                return brought;
        }
        const auto oldBlock = database.m_checkBlock;
        std::unique_ptr<CKeySchedule> oldKey = context.TakeDatabaseKey();
        SetPassword(context, database, password);
        CStoreResult saved = Save(database, false);
        if (!saved.Ok()) {
            database.m_checkBlock = oldBlock;
            context.HoldDatabaseKey(std::move(oldKey));
        }
        return saved;
    });
    if (result.Ok())
        NotifyAll(database);
    return result;
}

void PostNotice(CCoreContext& context, const CChangeNotice& notice) {
    if (context.Platform().IsCurrentUserSyncing())
        context.Poster().Post(kListenerEndpoint, notice);
}

void PostNotices(CCoreContext& context, const CNoticeList& notices) {
    if (!notices.empty() && context.Platform().IsCurrentUserSyncing())
        context.Poster().PostAll(kListenerEndpoint, notices);
}

void NotifyAll(CDatabaseObj& database) {
    CNoticeList notices;
    for (const CItemList* list : {&database.m_types, &database.m_categories, &database.m_records})
        for (const auto& item : list->Items())
            notices.push_back(
                {kActionChanged, static_cast<uint32_t>(list->Kind()), item->m_recordNumber});
    PostNotices(database.Context(), notices);
}

namespace {

void Refresh(CDatabaseObj& database, int kind, uint32_t recordNumber, CNoticeOutcome& outcome) {
    CRefreshedItem refreshed = RefreshItem(database, kind, recordNumber);
    outcome.result = std::move(refreshed.result);
    outcome.item = refreshed.item;
    outcome.what = refreshed.item ? CNoticeOutcome::Changed : CNoticeOutcome::Nothing;
}

}  // namespace

CNoticeOutcome HandleNotice(CDatabaseObj& database, const CChangeNotice& notice,
                            const std::string& folder) {
    CNoticeOutcome outcome;
    const int kind = static_cast<int>(notice.kind);
    if (notice.action != kActionReloadAll && (kind < kKindRecord || kind > kKindCategory))
        return outcome;
    switch (notice.action) {
        case kActionReloadAll:
            outcome.result = ReloadAll(database, folder);
            outcome.what = CNoticeOutcome::Reloaded;
            break;
        case kActionAdded:
            // An item already in memory (a notice that came twice) is refreshed, not doubled.
            if (database.FindItem(kind, notice.recordNumber)) {
                Refresh(database, kind, notice.recordNumber, outcome);
            } else {
                CReadItem read = ReadItemFromFile(database, kind, notice.recordNumber);
                outcome.result = std::move(read.result);
                if (read.item) {
                    CItemList& list = database.ListOf(kind);
                    outcome.item = kind == kKindRecord ? list.Add(std::move(read.item))
                                                       : list.AddSorted(std::move(read.item));
                    outcome.what = CNoticeOutcome::Added;
                }
            }
            break;
        case kActionChanged:
            Refresh(database, kind, notice.recordNumber, outcome);
            break;
        case kActionDeleted:
            outcome.removed = database.TakeItem(kind, notice.recordNumber);
            outcome.what = outcome.removed ? CNoticeOutcome::Removed : CNoticeOutcome::Nothing;
            break;
        default:
            break;
    }
    return outcome;
}

}  // namespace tessarin
