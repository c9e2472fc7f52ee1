#pragma once

// The program's lock: one state, the one sequence that locks and unlocks, and the signals the rest
// of the program follows.
//
// Locking closes every window but the main one (a window that holds edits, such as the record
// dialog, stores them first: see CStoresAtLock), so that nothing on the screen shows a record;
// then, once the calls those windows were running have returned (and a change under way, such as a
// save writing the file aside, has ended), the session saves what is unsaved and lets go of every
// record, the key is dropped, `locked` is emitted and the password is asked for. The right password
// reads the database again from its file (the file is the truth: this also brings in what changed
// while locked) and `unlocked` is emitted. While locked no command runs.
#include <functional>

#include <QObject>
#include <QPointer>

class QWidget;

namespace tessarin {

class CDatabaseSession;

// A window that holds edits a lock should keep: the lock calls StoreAtLock, which stores them and
// closes the window, instead of simply closing it.
class CStoresAtLock {
public:
    virtual ~CStoresAtLock() = default;
    virtual void StoreAtLock() = 0;
};

class CLockController : public QObject {
    Q_OBJECT
public:
    enum class Reason {
        Idle,                 // the automatic lock, the desktop's lock, suspend, File > Lock
        KeyChangedElsewhere,  // another process changed the database's password
    };
    enum class State { Unlocked, Locking, Locked };

    CLockController(CDatabaseSession& session, QObject* parent = nullptr);

    State CurrentState() const { return m_state; }
    bool IsLocked() const { return m_state != State::Unlocked; }

    // Starts the lock; nothing when already locking or locked. The password is asked once the
    // calls that were running have returned.
    void Lock(Reason reason);

    // The user quit while the program was locked (at the password dialog, or from the tray): the
    // program ends at once; nothing more is saved.
    void QuitLocked();

    // The window that stays open while locked (the main window).
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }

    // The program's part, set once, and what tests answer in its place: the password dialog (true
    // once the right password was given and the key is held again, false when the user chose to
    // quit); the end of the program with an exit code.
    std::function<bool(Reason reason)> m_askUnlock;
    std::function<void(int)> m_quit;

Q_SIGNALS:
    // No record is in memory or on the screen any more (and the key goes with them).
    void locked();
    // The database was read again from its file.
    void unlocked();

private:
    void CloseWindows();
    void ContinueOnceUnwound();
    void LockNow();

    CDatabaseSession& m_session;
    QPointer<QWidget> m_mainWindow;
    State m_state = State::Unlocked;
    Reason m_reason = Reason::Idle;
};

}  // namespace tessarin
