#include "store/database_session.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <unordered_set>

#include "store/core_context.h"

namespace tessarin {

bool CSessionChanges::Empty() const {
    for (size_t kind = 0; kind < 3; ++kind)
        if (!added[kind].empty() || !changed[kind].empty() || !removed[kind].empty())
            return false;
    return !many;
}

CDatabaseSession::CDatabaseSession(CCoreContext& context)
    : m_context(context), m_database(std::make_unique<CDatabaseObj>(context)) {
    m_database->m_observer = this;
}

CDatabaseSession::~CDatabaseSession() {
    m_database->m_observer = nullptr;
}

void CDatabaseSession::AddObserver(ISessionObserver* observer) {
    m_observers.push_back(observer);
}

void CDatabaseSession::RemoveObserver(ISessionObserver* observer) {
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer),
                      m_observers.end());
}

CStoreResult CDatabaseSession::Open(const std::string& folder) {
    m_folder = folder;
    m_departed.clear();
    m_unsaved = false;
    CStoreResult result = tessarin::Open(*m_database, folder);
    TellReloaded();
    return result;
}

CStoreResult CDatabaseSession::Reload() {
    CStoreResult result = ReloadAll(*m_database, m_folder);
    // Memory stays as it was when nothing could be read (another password): nothing to tell.
    if (result.code != StoreCode::KeyChanged) {
        m_departed.clear();
        m_unsaved = false;
        TellReloaded();
    }
    return result;
}

CStoreResult CDatabaseSession::ChangeLocation(
    const std::string& folder, const std::function<void(const std::string&)>& storeFolder) {
    CStoreResult result = ChangeDatabaseLocation(*m_database, folder, storeFolder);
    if (result.Ok()) {
        m_unsaved = false;
        m_folder = std::filesystem::path(m_database->m_path).parent_path().string();
    } else if (result.code == StoreCode::KeyChanged) {
        TellSaveFailed(result);
    }
    return result;
}

CStoreResult CDatabaseSession::BringInOutsideChanges() {
    return tessarin::BringInOutsideChanges(*m_database);
}

CStoreResult CDatabaseSession::HandleNotice(const CChangeNotice& notice) {
    if (notice.action == kActionReloadAll)
        return Reload();
    CNoticeOutcome outcome = tessarin::HandleNotice(*m_database, notice, m_folder);
    const int kind = static_cast<int>(notice.kind);
    if (outcome.what == CNoticeOutcome::Nothing || kind < kKindRecord || kind > kKindCategory)
        return outcome.result;
    CSessionChanges changes;
    changes.fromOutside = true;
    const auto k = static_cast<size_t>(kind);
    switch (outcome.what) {
        case CNoticeOutcome::Added:
            changes.added[k].push_back(outcome.item);
            break;
        case CNoticeOutcome::Changed:
            changes.changed[k].push_back(outcome.item);
            break;
        default:
            changes.removed[k].push_back(outcome.removed.get());
            break;
    }
    Tell(changes);
    if (outcome.removed)
        m_departed.push_back(std::move(outcome.removed));
    return outcome.result;
}

CStoreResult CDatabaseSession::Saved(CStoreResult result) {
    // Suspended, nothing was tried: what was unsaved stays so.
    if (result.Ok())
        m_unsaved = false;
    else if (result.code != StoreCode::SaveSuspended)
        m_unsaved = true;
    return result;
}

CStoreResult CDatabaseSession::SaveNow(bool quiet) {
    CStoreResult result = Saved(Save(*m_database, quiet));
    if (!result.Ok())
        TellSaveFailed(result);
    return result;
}

CStoreResult CDatabaseSession::ChangePassword(const CSecret& password) {
    // The new password is written with every item, or not at all: memory stays as the file is.
    CStoreResult result = tessarin::ChangePassword(*m_database, password);
    if (result.Ok()) {
        m_changed = true;
        m_unsaved = false;
    } else {
        TellSaveFailed(result);
    }
    return result;
}

CStoreResult CDatabaseSession::Suspend() {
    CStoreResult saved = Saved(Save(*m_database));
    if (!saved.Ok())
        TellSaveFailed(saved);
    m_database->m_saveSuspended = true;
    // Unsaved changes stay in memory, to be written after the unlock; everything else goes.
    if (saved.Ok() || saved.code == StoreCode::KeyChanged) {
        m_departed.clear();
        for (CItemList* list :
             {&m_database->m_records, &m_database->m_types, &m_database->m_categories})
            list->Clear();
        m_database->m_knownFile.Forget();
        for (auto& filed : m_database->m_filedItems)
            filed.clear();
        m_emptied = true;
    }
    TellReloaded();
    return saved;
}

CStoreResult CDatabaseSession::Resume() {
    m_database->m_saveSuspended = false;
    if (!m_emptied)
        return SaveNow();
    m_emptied = false;
    return Reload();
}

void CDatabaseSession::MergedFromFile(CMergeOutcome& outcome) {
    CSessionChanges changes;
    changes.fromOutside = true;
    for (size_t kind = 0; kind < 3; ++kind) {
        changes.added[kind] = outcome.added[kind];
        changes.changed[kind] = outcome.changed[kind];
        for (const auto& item : outcome.removed[kind])
            changes.removed[kind].push_back(item.get());
    }
    Tell(changes);
    for (auto& removed : outcome.removed)
        for (auto& item : removed)
            m_departed.push_back(std::move(item));
}

void CDatabaseSession::WriteFile(const std::function<void()>& write) {
    if (!m_aside || m_writingAside || m_database->m_records.Size() < m_asideFromRecords) {
        write();
        return;
    }
    // The file's bytes are built and written on another thread; this one keeps its window painted
    // and changes nothing meanwhile. What the write throws is thrown here, as if it had run here.
    std::exception_ptr failed;
    m_writingAside = true;
    const CBusy busy(*this);
    m_aside->RunAside([&] {
        try {
            write();
        } catch (...) {
            failed = std::current_exception();
        }
    });
    m_writingAside = false;
    if (failed)
        std::rethrow_exception(failed);
}

void CDatabaseSession::Tell(const CSessionChanges& changes) {
    if (changes.Empty())
        return;
    // An observer may stop observing while it is told.
    const std::vector<ISessionObserver*> observers = m_observers;
    for (ISessionObserver* observer : observers)
        observer->SessionChanged(changes);
}

void CDatabaseSession::TellReloaded() {
    const std::vector<ISessionObserver*> observers = m_observers;
    for (ISessionObserver* observer : observers)
        observer->SessionReloaded();
}

void CDatabaseSession::TellSaveFailed(const CStoreResult& result) {
    const std::vector<ISessionObserver*> observers = m_observers;
    for (ISessionObserver* observer : observers)
        observer->SessionSaveFailed(result);
}

bool CDatabaseSession::Readmit(CBaseItem& item) {
    const auto found = std::find_if(m_departed.begin(), m_departed.end(),
                                    [&](const auto& departed) { return departed.get() == &item; });
    if (found == m_departed.end())
        return false;
    std::unique_ptr<CBaseItem> back = std::move(*found);
    m_departed.erase(found);
    CItemList& list = m_database->ListOf(back->Kind());
    if (back->Kind() == kKindRecord)
        list.Add(std::move(back));
    else
        list.AddSorted(std::move(back));
    return true;
}

// --- One change ---

CDatabaseSession::CChange::~CChange() {
    // A change made and never committed would be in memory only: it is saved here.
    if (!m_committed && (!m_changes.Empty() || !m_notices.empty()))
        Commit();
}

CRecord& CDatabaseSession::CChange::AddRecord(std::unique_ptr<CBaseItem> record) {
    auto& added = static_cast<CRecord&>(*m_session.Database().m_records.Add(std::move(record)));
    m_changes.added[kKindRecord].push_back(&added);
    m_notices.push_back({kActionAdded, kKindRecord, added.m_recordNumber});
    return added;
}

void CDatabaseSession::CChange::Changed(int kind, CBaseItem& item, bool announce) {
    const auto k = static_cast<size_t>(kind);
    if (m_session.Readmit(item)) {
        // Another writer removed it while it was being changed here: it comes back.
        m_changes.added[k].push_back(&item);
        m_notices.push_back({kActionAdded, static_cast<uint32_t>(kind), item.m_recordNumber});
        return;
    }
    m_changes.changed[k].push_back(&item);
    if (announce)
        m_notices.push_back({kActionChanged, static_cast<uint32_t>(kind), item.m_recordNumber});
}

void CDatabaseSession::CChange::RecordChanged(CRecord& record) {
    Changed(kKindRecord, record);
}

void CDatabaseSession::CChange::RemoveRecord(CRecord& record) {
    m_changes.removed[kKindRecord].push_back(&record);
    m_notices.push_back({kActionDeleted, kKindRecord, record.m_recordNumber});
}

void CDatabaseSession::CChange::AddedInBulk(const std::vector<CRecord*>& records,
                                            const CNoticeList& notices) {
    m_changes.many = true;
    auto& added = m_changes.added[kKindRecord];
    added.insert(added.end(), records.begin(), records.end());
    m_notices.insert(m_notices.end(), notices.begin(), notices.end());
}

CBaseItem& CDatabaseSession::CChange::AddItem(int kind, std::unique_ptr<CBaseItem> item) {
    CBaseItem& added = *m_session.Database().ListOf(kind).AddSorted(std::move(item));
    added.m_modified = true;
    m_changes.added[static_cast<size_t>(kind)].push_back(&added);
    m_notices.push_back({kActionAdded, static_cast<uint32_t>(kind), added.m_recordNumber});
    return added;
}

void CDatabaseSession::CChange::ItemChanged(int kind, CBaseItem& item,
                                            const std::vector<CRecord*>& records, bool announce) {
    Changed(kind, item, announce);
    // The records follow their type; the type's notice stands for them.
    for (CRecord* record : records)
        Changed(kKindRecord, *record, false);
}

void CDatabaseSession::CChange::RemoveItem(int kind, CBaseItem& item) {
    // Its records become unfiled in that respect.
    for (const auto& held : m_session.Database().m_records.Items()) {
        auto& record = static_cast<CRecord&>(*held);
        ItemKey& key = kind == kKindType ? record.m_key : record.m_categoryKey;
        if (key == item.m_key) {
            key = ZeroKey;
            record.m_modified = true;
            Changed(kKindRecord, record, false);
        }
    }
    m_changes.removed[static_cast<size_t>(kind)].push_back(&item);
    m_notices.push_back({kActionDeleted, static_cast<uint32_t>(kind), item.m_recordNumber});
}

void CDatabaseSession::CChange::ReplaceAll(CDatabaseObj& staging, const CNoticeList& notices) {
    CDatabaseObj& database = m_session.Database();
    // Nobody may hold an item of before when they go.
    m_session.m_departed.clear();
    m_session.TellReloaded();
    database.m_types.ReplaceAll(staging.m_types.ReleaseAll());
    database.m_categories.ReplaceAll(staging.m_categories.ReleaseAll());
    database.m_records.ReplaceAll(staging.m_records.ReleaseAll());
    m_changes.many = true;
    m_notices.insert(m_notices.end(), notices.begin(), notices.end());
}

CStoreResult CDatabaseSession::CChange::Commit() {
    m_committed = true;
    CDatabaseObj& database = m_session.Database();
    CCoreContext& context = m_session.Context();
    // Deleted items stay in their list, marked for the next sync, unless the manager deletes
    // outright or the handheld never knew them; those are taken out in one pass per list, and
    // live until the observers have let go of them.
    for (int kind = kKindRecord; kind <= kKindCategory; ++kind) {
        const auto& removed = m_changes.removed[static_cast<size_t>(kind)];
        if (removed.empty())
            continue;
        std::unordered_set<const CBaseItem*> out;
        for (const CBaseItem* item : removed) {
            auto* held = const_cast<CBaseItem*>(item);
            if (!context.m_hardDelete && held->HasIdentity()) {
                held->m_deleted = true;
                held->m_modified = true;
            } else {
                out.insert(item);
            }
        }
        if (out.empty())
            continue;
        CItemList& list = database.ListOf(kind);
        CItemList::Storage kept;
        kept.reserve(list.Size());
        for (auto& item : list.ReleaseAll())
            (out.count(item.get()) ? m_taken : kept).push_back(std::move(item));
        list.ReplaceAll(std::move(kept));
    }
    if (!m_changes.Empty())
        m_session.m_changed = true;
    CStoreResult result = m_session.Saved(Save(database));
    // Only what the file holds is announced.
    if (result.Ok())
        PostNotices(context, m_notices);
    else
        m_session.TellSaveFailed(result);
    m_session.Tell(m_changes);
    m_taken.clear();
    return result;
}

}  // namespace tessarin
