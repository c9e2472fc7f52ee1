#include "ui/change_follower.h"

#include <QApplication>

#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "ui/command_table.h"
#include "ui/database_watch.h"
#include "ui/desktop_view.h"
#include "ui/filter_combo.h"
#include "ui/record_table_model.h"

namespace tessarin {

CChangeFollower::CChangeFollower(CCoreContext& context, CDatabaseSession& session,
                                 CTessarinDesktopView& view)
    : QObject(&view),
      m_context(context),
      m_session(session),
      m_view(view),
      m_watch(new CDatabaseWatch(context, this)) {
    m_session.AddObserver(this);
    connect(m_watch, &CDatabaseWatch::changedElsewhere, this, [this] {
        if (!OnForeignChange())
            m_watch->CheckAgainLater();
    });
    m_deferTimer.setSingleShot(true);
    m_deferTimer.setInterval(kDeferredNoticeMs);
    connect(&m_deferTimer, &QTimer::timeout, this, &CChangeFollower::FlushDeferred);
}

CChangeFollower::~CChangeFollower() {
    m_session.RemoveObserver(this);
}

void CChangeFollower::Watch(const std::string& path) {
    m_watch->Watch(path);
}

void CChangeFollower::TakeFileAsKnown() {
    m_watch->TakeFileAsKnown();
}

bool CChangeFollower::BusyElsewhere() const {
    return m_session.Busy() || QApplication::activeModalWidget() ||
           QApplication::activePopupWidget();
}

// --- Notices of other processes ---

void CChangeFollower::OnNotice(const CChangeNotice& notice) {
    // While locked nothing is in memory: the unlock reads the whole file again.
    if (m_view.IsLocked())
        return;
    if (BusyElsewhere() || !m_deferred.empty()) {
        m_deferred.push_back(notice);
        m_deferTimer.start();
        return;
    }
    HandleNotice(notice);
}

void CChangeFollower::FlushDeferred() {
    if (m_view.IsLocked()) {
        m_deferred.clear();
        return;
    }
    while (!m_deferred.empty()) {
        if (BusyElsewhere()) {
            m_deferTimer.start();
            return;
        }
        const CChangeNotice notice = m_deferred.front();
        m_deferred.pop_front();
        HandleNotice(notice);
    }
}

void CChangeFollower::HandleNotice(const CChangeNotice& notice) {
    if (notice.action == kActionReloadAll) {
        m_view.ReloadUser();
        return;
    }
    // What the notice did reaches the rows through SessionChanged.
    const CStoreResult result = m_session.HandleNotice(notice);
    if (result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return;
    }
    // The notice said what changed in the file: no need to read it all again for that.
    m_watch->TakeFileAsKnown();
}

// --- What the session says changed ---

void CChangeFollower::ShowArrived(int kind, CBaseItem& item) {
    if (kind == kKindRecord)
        m_view.m_rows->Insert(static_cast<CRecord&>(item), false);
    else if (!item.m_deleted)
        (kind == kKindType ? m_view.m_typeCombo : m_view.m_categoryCombo)
            ->InsertItem(item, m_context.Collation());
}

void CChangeFollower::ShowChanged(int kind, CBaseItem& item) {
    // A type or category moves to its place by name; the entry chosen stays chosen.
    CFilterCombo* combo = kind == kKindType ? m_view.m_typeCombo : m_view.m_categoryCombo;
    const ItemKey selected = combo->SelectedKey();
    combo->RemoveItem(item.m_key);
    if (!item.m_deleted)
        combo->InsertItem(item, m_context.Collation());
    combo->SelectKey(selected);
    if (selected == item.m_key || combo->currentIndex() == 0)
        m_view.RepaintRows();
}

void CChangeFollower::ShowRemoved(int kind, const CBaseItem& item) {
    if ((kind == kKindType ? m_view.m_typeCombo : m_view.m_categoryCombo)->RemoveItem(item.m_key)) {
        // The entry shown went: "All" is chosen, as if the user had picked it.
        if (kind == kKindType)
            m_view.SelectTypeEntry(0);
        else
            m_view.SelectCategoryEntry(0);
    } else {
        m_view.RepaintRows();
    }
}

void CChangeFollower::SessionChanged(const CSessionChanges& changes) {
    if (changes.fromOutside)
        m_watch->TakeFileAsKnown();
    if (m_view.IsLocked())
        return;  // nothing is shown; the unlock shows what memory holds
    CRecordRows& rows = *m_view.m_rows;
    if (changes.many) {
        // An import or a restore: the choosers and the rows anew (a large list sorted while the
        // window paints), the new records selected.
        m_view.RefillFilterCombos(true);
        std::vector<const CRecord*> added;
        for (const CBaseItem* item : changes.Added(kKindRecord))
            added.push_back(static_cast<const CRecord*>(item));
        if (!added.empty())
            rows.Select(added);
    } else {
        ShowEach(changes);
    }
    m_view.ShowInDetails(m_view.GetSelectedRecord());
    if (m_view.m_commands)
        m_view.m_commands->UpdateEnabled();
    m_view.TellCounts();
    if (changes.fromOutside)
        ForgetDeparted();
}

void CChangeFollower::ShowEach(const CSessionChanges& changes) {
    // Types and categories first: the records' rows name them.
    for (int kind : {kKindType, kKindCategory}) {
        for (const CBaseItem* removed : changes.Removed(kind))
            ShowRemoved(kind, *removed);
        for (CBaseItem* item : changes.Changed(kind))
            ShowChanged(kind, *item);
        for (CBaseItem* item : changes.Added(kind))
            ShowArrived(kind, *item);
    }
    CRecordRows& rows = *m_view.m_rows;
    m_view.RecordsGone(changes.Removed(kKindRecord));
    rows.Changed(changes.Changed(kKindRecord));
    const auto& added = changes.Added(kKindRecord);
    if (added.size() > kRowsOneByOne) {
        const CRecordRows::CMemo memo = rows.Remember();
        m_view.RefillList();
        rows.Restore(memo);
    } else {
        for (CBaseItem* item : added)
            ShowArrived(kKindRecord, *item);
    }
}

void CChangeFollower::SessionReloaded() {
    // Every record of the rows and the pane is gone, or read anew.
    m_view.m_beforeSearch = {};
    m_view.ClearRows();
}

void CChangeFollower::SessionSaveFailed(const CStoreResult& result) {
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
}

void CChangeFollower::ForgetDeparted() {
    if (BusyElsewhere()) {
        QTimer::singleShot(kDeferredNoticeMs, this, &CChangeFollower::ForgetDeparted);
        return;
    }
    m_session.ForgetDeparted();
}

// --- The file changed without a notice ---

bool CChangeFollower::OnForeignChange() {
    if (!m_view.m_opened || m_view.IsLocked())
        return true;
    if (BusyElsewhere())
        return false;
    // The file's password changed: the next command asks for the new one.
    if (PasswordChangedElsewhere(m_session.Database()))
        return true;
    // What the other writer changed comes in item by item (SessionChanged shows it); the rows,
    // the selection and the filters stay. A file that cannot be read whole changes nothing here:
    // the next save keeps it beside itself.
    const CStoreResult result = m_session.BringInOutsideChanges();
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
    return result.code != StoreCode::LockTimeout;
}

}  // namespace tessarin
