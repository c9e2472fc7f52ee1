#include "store/database_lifecycle.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "base/error_codes.h"
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

void ReportSaveFailure(CCoreContext& context, int code, bool quiet) {
    if (IsVolumeUnavailable(code)) {
        if (!quiet)
            context.ShowMessage(str::kDatabaseVolumeUnavailable, {}, MessageIcon::Error);
        return;
    }
    context.ShowMessage(str::kErrorSavingDatabase, {HexCode(code)}, MessageIcon::Error);
}

// Copies a damaged database file beside itself (".damaged", then ".damaged-2" and so on) before a
// save replaces it, so that what could not be read is never lost. 0 or the errno value.
int KeepBeside(const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error))
        return 0;
    for (int n = 1; n < 1000; ++n) {
        const std::string copy = path + ".damaged" + (n == 1 ? "" : "-" + std::to_string(n));
        const int result = CopyFileNoReplace(path, copy);
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

int Open(CDatabaseObj& database, const std::string& folder) {
    database.m_path = DatabasePathIn(folder);
    std::error_code ignored;  // the load or the save reports what matters
    fs::create_directories(folder, ignored);
    return Load(database, database.m_path);
}

int Load(CDatabaseObj& database, const std::string& path, std::string* detail) {
    CCoreContext& context = database.Context();
    database.Empty();
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held()) {
        database.m_loadState = LoadState::Unread;
        return -1;
    }
    database.m_path = path;
    bool opened = false;
    const int read = ReadDatabaseFile(database, path, detail, nullptr, &opened);
    if (read == ENOENT) {
        database.m_loadState = LoadState::Loaded;
        if (!context.Platform().PlatformWantsDefaults())
            return 0;
        CreateBuiltInTypes(database.m_types);
        CreateBuiltInCategories(database.m_categories);
        return Save(database, false);
    }
    if (read != 0) {
        // A file that could not be opened is left alone; one that was opened but could not be
        // read whole is kept beside itself before anything replaces it.
        database.m_loadState = opened ? LoadState::Partial : LoadState::Unread;
        return read;
    }
    database.m_loadState = LoadState::Loaded;
    database.m_types.Sort();
    database.m_categories.Sort();
    if (database.m_version < kCurrentVersion) {
        database.m_version = kCurrentVersion;
        return Save(database, true);
    }
    return 0;
}

int Save(CDatabaseObj& database, bool quiet) {
    CCoreContext& context = database.Context();
    if (database.m_saveSuspended || database.m_loadState == LoadState::Unread)
        return -1;
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held())
        return -1;
    RemoveStaleTemporaries(database.m_path);
    if (database.m_loadState == LoadState::Partial) {
        if (const int kept = KeepBeside(database.m_path)) {
            ReportSaveFailure(context, kept, quiet);
            return kept;
        }
    }
    try {
        WriteFileSafely(database.m_path, [&](IByteSink& sink) {
            StoreDatabase(database, sink, context.DatabaseKey(), context.Filler());
        });
    } catch (const CFileError& e) {
        const int code = e.Code() ? e.Code() : EIO;
        ReportSaveFailure(context, code, quiet);
        return e.AtOpen() ? code : -1;
    }
    database.m_loadState = LoadState::Loaded;
    return 0;
}

int MoveTo(CDatabaseObj& database, const std::string& folder) {
    if (const int saved = Save(database, false))
        return saved;
    CCoreContext& context = database.Context();
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held())
        return -1;
    const std::string target = DatabasePathIn(folder);
    if (const int moved = MoveFileNoReplace(database.m_path, target))
        return moved;
    if (!database.m_handheldName.empty()) {
        const std::string icons = database.m_handheldName + ".pdb";
        const fs::path from = fs::path(database.m_path).parent_path() / icons;
        std::error_code error;
        if (fs::exists(from, error))
            MoveFileNoReplace(from.string(), (fs::path(folder) / icons).string());
    }
    database.m_path = target;
    return 0;
}

int ChangeDatabaseLocation(CDatabaseObj& database, const std::string& folder,
                           const std::function<void(const std::string&)>& storeFolder) {
    // Folders are told apart as the file system does (on Linux, letter case matters).
    if (SameFolder(fs::path(database.m_path).parent_path().string(), folder))
        return 0;
    const int result = MoveTo(database, folder);
    CCoreContext& context = database.Context();
    if (result == 0 || IsPathNotFound(result)) {
        if (storeFolder)
            storeFolder(folder);
    } else if (IsFileExists(result)) {
        context.ShowMessage(str::kDatabaseAlreadyExists);
    } else if (result != -1) {
        context.ShowMessage(str::kErrorMovingDatabase);
    }
    return result;
}

int MoveDatabaseFolder(const std::string& previous, const std::string& next) {
    if (previous.empty() || SameFolder(previous, next))
        return 0;
    std::error_code error;
    if (!fs::exists(DatabasePathIn(previous), error))
        return 0;
    // Copying a folder into itself, or removing the folder that holds the copy, would lose it all.
    if (Nested(previous, next))
        return EINVAL;
    fs::create_directories(next, error);
    if (error)
        return error.value();
    int first = 0;
    for (auto it = fs::recursive_directory_iterator(previous, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        const fs::path relative = fs::relative(it->path(), previous, error);
        const fs::path target = fs::path(next) / relative;
        if (it->is_directory(error)) {
            fs::create_directories(target, error);
        } else if (const int copied = CopyFileNoReplace(it->path().string(), target.string())) {
            first = copied;
            break;
        }
    }
    if (!first && error)
        first = error.value();
    if (first)
        return first;
    fs::remove_all(previous, error);
    return error ? error.value() : 0;
}

std::unique_ptr<CBaseItem> ReadItemFromFile(CDatabaseObj& database, int kind,
                                            uint32_t recordNumber) {
    if (recordNumber == 0)
        return nullptr;
    CCoreContext& context = database.Context();
    CDatabaseObj other(context);
    // Only reads: a missing or old file is not created or upgraded from here.
    CLockHold hold(context.Lock(), context.m_lockTimeout);
    if (!hold.Held())
        return nullptr;
    const CItemWanted wanted{kind, recordNumber};
    if (ReadDatabaseFile(other, database.m_path, nullptr, &wanted) != 0)
        return nullptr;
    return other.TakeItem(kind, recordNumber);
}

CBaseItem* RefreshItem(CDatabaseObj& database, int kind, uint32_t recordNumber) {
    std::unique_ptr<CBaseItem> read = ReadItemFromFile(database, kind, recordNumber);
    if (!read)
        return nullptr;
    CBaseItem* item = database.FindItem(kind, recordNumber);
    if (item)
        item->CopyFrom(*read);
    return item;
}

int ReloadAll(CDatabaseObj& database, const std::string& folder) {
    database.Empty();
    return Open(database, folder);
}

int ChangePassword(CDatabaseObj& database, const CSecret& password) {
    SetPassword(database.Context(), database, password);
    const int result = Save(database, false);
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
                outcome.item = RefreshItem(database, kind, notice.recordNumber);
                outcome.what = outcome.item ? CNoticeOutcome::Changed : CNoticeOutcome::Nothing;
            } else if (auto item = ReadItemFromFile(database, kind, notice.recordNumber)) {
                CItemList& list = database.ListOf(kind);
                outcome.item = kind == kKindRecord ? list.Add(std::move(item))
                                                   : list.AddSorted(std::move(item));
                outcome.what = CNoticeOutcome::Added;
            }
            break;
        case kActionChanged:
            outcome.item = RefreshItem(database, kind, notice.recordNumber);
            outcome.what = outcome.item ? CNoticeOutcome::Changed : CNoticeOutcome::Nothing;
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
