#pragma once

// Login and locking while the program runs: the auto-lock timer and what re-arms it, the lock and
// the unlock, the unlock after another process changed the database password, and "Set Password".
#include <functional>
#include <memory>
#include <string>

#include <QStringList>

#include "app/lock_timer.h"
#include "base/secure_memory.h"

namespace tessarin {

class CCoreContext;
class CPreferences;
class CTessarinDesktopView;
class IShellPrompts;

class CLockController {
public:
    // `users`: the names of the user directory, `current` the locked user's index among them.
    CLockController(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
                    IShellPrompts& prompts, std::unique_ptr<ILockTimer> timer, QStringList users,
                    int current);

    // Kills a pending timer; then starts it with the effective minutes unless locked, auto-lock
    // is off, or the database has no password.
    void RestartAutoLockTimer();
    // The lock, when the timer fires (or the session locks).
    void OnAutoLockTimer();
    // The database file's password is no longer the one the program holds: ask for it and read
    // the database again.
    void SyncUnlock();
    // Whether the database file still has the check block of the database in memory; when not,
    // another process changed the password and SyncUnlock follows. True when it still fits.
    bool CheckKeyStillFits();
    // Whether the file's password is the one of the records in memory (no other process changed
    // it): only then may they be saved over the file.
    bool FileHasOurPassword() const;

    bool IsPasswordSet() const;
    bool IsLocked() const;
    // The user the unlock dialog shows after a switch of users.
    void SetCurrentUser(int current) { m_current = current; }
    ILockTimer& Timer() { return *m_timer; }

    // Stores the edits of an open "Detail View" dialog before the lock saves; set by that dialog.
    std::function<void()> m_storeOpenEdits;
    // Ends the program at once with this exit code; nothing more is saved.
    std::function<void(int)> m_quit;

private:
    // The password dialog for the locked user, list disabled; false on "Quit".
    bool AskUnlock(bool forUser);
    std::string DatabasePath() const;

    CCoreContext& m_context;
    CPreferences& m_preferences;
    CTessarinDesktopView& m_view;
    IShellPrompts& m_prompts;
    std::unique_ptr<ILockTimer> m_timer;
    QStringList m_users;
    int m_current;
    bool m_inSyncUnlock = false;
};

}  // namespace tessarin
