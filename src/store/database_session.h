#pragma once

// The open database of the desktop program, and the one way it changes. A command makes its change
// through a CChange and commits it once: the commit saves (bringing in what other writers saved
// since), then announces what the file now holds to the sync listener, then tells the observers
// (the record list, the choosers, the details pane). A failed save is said once by the store,
// announces nothing, and leaves the change in memory for the next save. Changes that reach the
// database from outside (another writer's save brought in, a change notice) reach the observers the
// same way.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/secure_memory.h"
#include "store/change_notice.h"
#include "store/database.h"
#include "store/database_lifecycle.h"
#include "store/store_result.h"

namespace tessarin {

// What changed, per kind (record, type, category). Removed items are out of the database and
// still alive while the observers are told.
struct CSessionChanges {
    std::array<std::vector<CBaseItem*>, 3> added, changed;
    std::array<std::vector<const CBaseItem*>, 3> removed;
    // So much changed (an import, a restore) that the observers should build their lists anew,
    // keeping what the user chose where they can; `added` holds the records the command made.
    bool many = false;
    // Another writer's change, not a command of this program.
    bool fromOutside = false;

    bool Empty() const;
    const std::vector<CBaseItem*>& Added(int kind) const {
        return added[static_cast<size_t>(kind)];
    }
    const std::vector<CBaseItem*>& Changed(int kind) const {
        return changed[static_cast<size_t>(kind)];
    }
    const std::vector<const CBaseItem*>& Removed(int kind) const {
        return removed[static_cast<size_t>(kind)];
    }
};

class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;
    // Items came, changed or went.
    virtual void SessionChanged(const CSessionChanges& changes) = 0;
    // Every item went, or was read anew (a reload, another user, the lock): no pointer into the
    // database is valid any more.
    virtual void SessionReloaded() = 0;
    // A save failed; its message has been shown. KeyChanged: another process changed the
    // database's password.
    virtual void SessionSaveFailed(const CStoreResult&) {}
};

// Runs long work (a save's write: building the file's bytes, enciphering and writing them) off the
// calling thread and returns once it has ended. Meanwhile the calling thread may go on answering
// its window (painting, timers) but must not change the database: the session says Busy().
class IAsideRunner {
public:
    virtual ~IAsideRunner() = default;
    virtual void RunAside(const std::function<void()>& work) = 0;
};

// Databases of fewer records are saved (and their list sorted) on the calling thread, where a
// thread would cost more than the work itself (a few milliseconds).
inline constexpr size_t kAsideFromRecords = 4000;

class CDatabaseSession : private IDatabaseObserver {
public:
    explicit CDatabaseSession(CCoreContext& context);
    ~CDatabaseSession() override;
    CDatabaseSession(const CDatabaseSession&) = delete;
    CDatabaseSession& operator=(const CDatabaseSession&) = delete;

    CCoreContext& Context() { return m_context; }
    CDatabaseObj& Database() { return *m_database; }
    const CDatabaseObj& Database() const { return *m_database; }
    const std::string& Folder() const { return m_folder; }

    void AddObserver(ISessionObserver* observer);
    void RemoveObserver(ISessionObserver* observer);

    // Reads the database in `folder` (made when missing; see Open of the lifecycle).
    CStoreResult Open(const std::string& folder);
    // Reads the database file again, from the folder it was opened in.
    CStoreResult Reload();
    // "Change Database Location" once a folder is chosen (see ChangeDatabaseLocation): the file
    // is saved, moved into `folder` and read and written there from now on. A password changed
    // elsewhere, which the save before the move met, is told as a failed save.
    CStoreResult ChangeLocation(const std::string& folder,
                                const std::function<void(const std::string&)>& storeFolder);
    // Brings in what other writers saved, item by item (without writing).
    CStoreResult BringInOutsideChanges();
    // Acts on a change notice of another process; the observers see what it did.
    CStoreResult HandleNotice(const CChangeNotice& notice);
    // Saves what is in memory (a column layout changed, the program ends).
    CStoreResult SaveNow(bool quiet = false);

    // The lock: what is unsaved is saved, then every item is let go (its texts wiped) and nothing
    // is saved until Resume, which reads the file again. A failed save leaves the items in memory
    // (they are written at the unlock) but the database is suspended all the same.
    CStoreResult Suspend();
    CStoreResult Resume();
    bool Suspended() const { return m_database->m_saveSuspended; }

    // Whether any change was made since the program started (the automatic backup looks).
    bool Changed() const { return m_changed; }
    void MarkChanged() { m_changed = true; }
    // Whether memory holds a change whose save failed: the next save writes it.
    bool HasUnsaved() const { return m_unsaved; }

    // Where a database of `fromRecords` records or more does its long file work (a save's write,
    // a copy kept beside the file); none: on the calling thread.
    void SetAsideRunner(IAsideRunner* runner, size_t fromRecords = kAsideFromRecords) {
        m_aside = runner;
        m_asideFromRecords = fromRecords;
    }
    // A change is under way while the event loop turns: a save writing the file off this thread,
    // or a large change applied in pieces (see CBusy). Nothing else may change the database, take
    // the file's lock or save until it has ended: commands wait, notices and the lock are put off.
    bool Busy() const { return m_busy > 0; }
    // Marks the session busy for as long as it lives.
    class CBusy {
    public:
        explicit CBusy(CDatabaseSession& session) : m_session(session) { ++m_session.m_busy; }
        ~CBusy() { --m_session.m_busy; }
        CBusy(const CBusy&) = delete;
        CBusy& operator=(const CBusy&) = delete;

    private:
        CDatabaseSession& m_session;
    };

    // Sets a new password (empty: none) and saves under it; every item is announced. A failed
    // save keeps the old password, in memory and in the file, and announces nothing.
    CStoreResult ChangePassword(const CSecret& password);

    // Items another writer removed, kept alive for a dialog that may still hold one: let go once no
    // dialog is open.
    void ForgetDeparted() { m_departed.clear(); }

    // One change of the database, committed once.
    class CChange {
    public:
        explicit CChange(CDatabaseSession& session) : m_session(session) {}
        ~CChange();
        CChange(const CChange&) = delete;
        CChange& operator=(const CChange&) = delete;

        // A new record, appended.
        CRecord& AddRecord(std::unique_ptr<CBaseItem> record);
        // A record whose content the command changed in place (the command marks it modified when
        // the sync must see it). One that another writer removed meanwhile comes back: this
        // change is the later one.
        void RecordChanged(CRecord& record);
        // Deleted: kept marked for the next sync, or taken out (see CItemList::Delete).
        void RemoveRecord(CRecord& record);
        // Records an import or a paste added to the database itself, with the notices it collected
        // (types and categories it made included). The observers build their lists anew.
        void AddedInBulk(const std::vector<CRecord*>& records, const CNoticeList& notices);
        // A new type or category, put at its place by name.
        CBaseItem& AddItem(int kind, std::unique_ptr<CBaseItem> item);
        // A type or category changed in place; `records` are those the change touched. Without
        // `announce` (a type's labels or mask changed, not its name) no notice is posted.
        void ItemChanged(int kind, CBaseItem& item, const std::vector<CRecord*>& records = {},
                         bool announce = true);
        // A type or category deleted; its records become unfiled in that respect.
        void RemoveItem(int kind, CBaseItem& item);
        // A restore: every type, category and record is replaced by those of `staging`, with the
        // notices of what it made. The observers let go of every item at once (SessionReloaded)
        // and build their lists anew at the commit. Alone in its change.
        void ReplaceAll(CDatabaseObj& staging, const CNoticeList& notices);

        bool Empty() const { return m_changes.Empty(); }
        // Saves, announces what the file holds, tells the observers. The save's result.
        CStoreResult Commit();

    private:
        void Changed(int kind, CBaseItem& item, bool announce = true);

        CDatabaseSession& m_session;
        CSessionChanges m_changes;
        CNoticeList m_notices;
        std::vector<std::unique_ptr<CBaseItem>> m_taken;
        bool m_committed = false;
    };

private:
    friend class CChange;
    void MergedFromFile(CMergeOutcome& outcome) override;
    void WriteFile(const std::function<void()>& write) override;
    void Tell(const CSessionChanges& changes);
    void TellReloaded();
    void TellSaveFailed(const CStoreResult& result);
    // Every save goes through here: it keeps whether memory holds what the file does not.
    CStoreResult Saved(CStoreResult result);
    // Takes an item back from the departed ones into its list; false when it is not there.
    bool Readmit(CBaseItem& item);

    CCoreContext& m_context;
    std::unique_ptr<CDatabaseObj> m_database;
    std::string m_folder;
    std::vector<ISessionObserver*> m_observers;
    std::vector<std::unique_ptr<CBaseItem>> m_departed;
    bool m_changed = false;
    bool m_unsaved = false;
    // Suspend let go of every item: Resume reads the file again.
    bool m_emptied = false;
    IAsideRunner* m_aside = nullptr;
    size_t m_asideFromRecords = kAsideFromRecords;
    int m_busy = 0;
    bool m_writingAside = false;
};

}  // namespace tessarin
