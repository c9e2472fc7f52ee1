#pragma once

// The record view's follower of the database: what the session says changed (a command's commit,
// another writer's save brought in, a change notice), shown in the rows and the choosers; the
// change notices of other processes, which wait while a dialog or a menu is open or a save is
// writing the file, and are dropped while locked; and the file rewritten by someone who sent none,
// which the watch sees.
#include <deque>
#include <string>

#include <QObject>
#include <QTimer>

#include "store/change_notice.h"
#include "store/database_session.h"

namespace tessarin {

class CDatabaseWatch;
class CTessarinDesktopView;

// How long a change from outside waits while a dialog or a menu is open before it is tried again.
inline constexpr int kDeferredNoticeMs = 200;

class CChangeFollower : public QObject, private ISessionObserver {
    Q_OBJECT
public:
    CChangeFollower(CCoreContext& context, CDatabaseSession& session, CTessarinDesktopView& view);
    ~CChangeFollower() override;

    // Watches the database's file where it is now, taking it as known.
    void Watch(const std::string& path);
    // The file as it is now is one this process knows (it read it, or a notice said what changed).
    void TakeFileAsKnown();
    // A change notice from another process: kept while a dialog or a menu is open, else acted
    // upon; nothing while locked (the unlock reads the whole file again).
    void OnNotice(const CChangeNotice& notice);
    // The lock: notices still waiting are dropped.
    void DropWaiting() { m_deferred.clear(); }

Q_SIGNALS:
    // The key held no longer opens the database file: its password was changed elsewhere.
    void passwordChangedElsewhere();

private:
    void SessionChanged(const CSessionChanges& changes) override;
    void SessionReloaded() override;
    void SessionSaveFailed(const CStoreResult& result) override;

    // Each item that came, changed or went, in the rows and the choosers.
    void ShowEach(const CSessionChanges& changes);
    void HandleNotice(const CChangeNotice& notice);
    void FlushDeferred();
    // What another process did, shown: an item that arrived, one that holds another version, one
    // that went (still alive).
    void ShowArrived(int kind, CBaseItem& item);
    void ShowChanged(int kind, CBaseItem& item);
    void ShowRemoved(int kind, const CBaseItem& item);
    // A dialog or a menu may hold records or positions in the lists: they stay as they are until
    // it closes. A save writing the file on another thread holds the file's lock and reads the
    // database: nothing changes it until the save has ended.
    bool BusyElsewhere() const;
    // Lets go of items other writers removed, once no dialog may still hold one.
    void ForgetDeparted();
    // The file changed without a notice; false when that must wait.
    bool OnForeignChange();

    CCoreContext& m_context;
    CDatabaseSession& m_session;
    CTessarinDesktopView& m_view;
    CDatabaseWatch* m_watch;
    std::deque<CChangeNotice> m_deferred;
    QTimer m_deferTimer;
};

}  // namespace tessarin
