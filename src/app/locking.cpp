#include "app/locking.h"

#include <cstdlib>

#include <unistd.h>

#include "app/shell_prompts.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"
#include "ui/desktop_view.h"

namespace tessarin {

inline constexpr int kExitAtUnlockQuit = 1;

CLockController::CLockController(CCoreContext& context, CPreferences& preferences,
                                 CTessarinDesktopView& view, IShellPrompts& prompts,
                                 std::unique_ptr<ILockTimer> timer, QStringList users, int current)
    : m_context(context),
      m_preferences(preferences),
      m_view(view),
      m_prompts(prompts),
      m_timer(std::move(timer)),
      m_users(std::move(users)),
      m_current(current) {
    m_timer->m_fired = [this] { OnAutoLockTimer(); };
    m_quit = [](int code) { ::_exit(code); };
}

std::string CLockController::DatabasePath() const {
    return DatabasePathIn(m_view.Folder());
}

bool CLockController::IsPasswordSet() const {
    return tessarin::IsPasswordSet(DatabasePath());
}

bool CLockController::IsLocked() const {
    return m_view.m_locked;
}

void CLockController::RestartAutoLockTimer() {
    m_timer->Kill();
    if (m_view.m_locked || !m_preferences.EffectiveAutoLock() || !IsPasswordSet())
        return;
    m_timer->Start(std::chrono::minutes(m_preferences.EffectiveSleepMinutes()));
}

bool CLockController::AskUnlock(bool forUser) {
    const std::string path = DatabasePath();
    const auto check = [this, &path](int, const CSecret& password) {
        if (!CheckPassword(path, password))
            return false;
        SetDatabaseKey(m_context, password);
        return true;
    };
    return m_prompts.AskPassword(forUser, m_users, m_current, false, check).has_value();
}

void CLockController::OnAutoLockTimer() {
    if (m_view.m_locked)
        return;
    m_timer->Kill();
    if (m_storeOpenEdits)
        m_storeOpenEdits();
    // A failed save has said so; the lock goes on. A file whose password was changed elsewhere
    // is not saved over with the old one: the unlock reads it again.
    if (FileHasOurPassword())
        m_view.SaveNow();
    CDatabaseObj& database = m_view.Database();
    database.m_saveSuspended = true;
    m_view.m_noticePending = false;
    m_view.m_locked = true;
    m_view.EmptyForLock();
    SetDatabaseKey(m_context, CSecret());

    if (!AskUnlock(m_users.size() > 1)) {
        m_quit(kExitAtUnlockQuit);
        return;
    }
    // A password changed while locked leaves the file with another check block: the records in
    // memory would be saved under the new key with the old block, so they are read again.
    const bool reread = m_view.m_noticePending || PasswordChangedElsewhere(database);
    m_view.m_locked = false;
    database.m_saveSuspended = false;
    if (reread)
        m_view.ReloadUser();
    else
        m_view.RefillList();
    m_view.m_noticePending = false;
    m_view.ImportHandedOver();
}

bool CLockController::FileHasOurPassword() const {
    return !PasswordChangedElsewhere(m_view.Database());
}

bool CLockController::CheckKeyStillFits() {
    if (m_view.m_locked || m_inSyncUnlock || FileHasOurPassword())
        return true;
    SyncUnlock();
    return false;
}

void CLockController::SyncUnlock() {
    m_inSyncUnlock = true;
    m_timer->Kill();
    m_view.m_locked = true;
    m_view.Database().m_saveSuspended = true;
    m_view.EmptyForLock();
    SetDatabaseKey(m_context, CSecret());
    if (!AskUnlock(true)) {
        m_quit(kExitAtUnlockQuit);
        m_inSyncUnlock = false;
        return;
    }
    m_view.m_locked = false;
    m_view.Database().m_saveSuspended = false;
    m_view.m_noticePending = false;
    m_view.ReloadUser();
    m_inSyncUnlock = false;
    m_view.ImportHandedOver();
}

}  // namespace tessarin
