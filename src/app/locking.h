#pragma once

// The automatic lock and what surrounds the lock controller in the program: the idle timer and
// what re-arms it, the password dialog of an unlock, the check that the database file still has
// the password of the records in memory, and the quiet lock when another process changed it.
#include <functional>
#include <memory>
#include <string>

#include <QStringList>

#include "app/lock_timer.h"
#include "ui/lock_controller.h"

namespace tessarin {

class CCoreContext;
class CPreferences;
class CTessarinDesktopView;
class IShellPrompts;

class CAutoLock {
public:
    // `users`: the names of the user directory, `current` the locked user's index among them.
    CAutoLock(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
              CLockController& controller, IShellPrompts& prompts,
              std::unique_ptr<ILockTimer> timer, QStringList users, int current);

    // Kills a pending timer; then starts it with the effective minutes unless locked, auto-lock
    // is off, or the database has no password.
    void RestartAutoLockTimer();
    // The lock, when the timer fires (or the session locks, or the user asks): only with a
    // password.
    void OnAutoLockTimer();
    // The database file's password is no longer the one the program holds: lock, ask for the new
    // one and read the database again.
    void SyncUnlock();
    // Whether the database file still has the check block of the database in memory; when not,
    // another process changed the password and SyncUnlock follows. True when it still fits.
    bool CheckKeyStillFits();
    // Whether the file's password is the one of the records in memory (no other process changed
    // it): only then may they be saved over the file.
    bool FileHasOurPassword() const;

    bool IsPasswordSet() const;
    bool IsLocked() const { return m_controller.IsLocked(); }
    CLockController& Controller() { return m_controller; }
    // The user the unlock dialog shows after a switch of users.
    void SetCurrentUser(int current) { m_current = current; }
    ILockTimer& Timer() { return *m_timer; }

    // Ends the program at once with this exit code; nothing more is saved. Tests end nothing.
    std::function<void(int)> m_quit;
    // Before the password is asked: waits until the user can see the dialog (the main window may
    // be minimized or hidden in the tray); false when the user quit meanwhile.
    std::function<bool()> m_waitForWindow;

private:
    // The password dialog for the locked user; false on "Quit".
    bool AskUnlock(bool forUser);
    std::string DatabasePath() const;

    CCoreContext& m_context;
    CPreferences& m_preferences;
    CTessarinDesktopView& m_view;
    CLockController& m_controller;
    IShellPrompts& m_prompts;
    std::unique_ptr<ILockTimer> m_timer;
    QStringList m_users;
    int m_current;
};

}  // namespace tessarin
