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

CAutoLock::CAutoLock(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
                     CLockController& controller, IShellPrompts& prompts,
                     std::unique_ptr<ILockTimer> timer, QStringList users, int current)
    : m_context(context),
      m_preferences(preferences),
      m_view(view),
      m_controller(controller),
      m_prompts(prompts),
      m_timer(std::move(timer)),
      m_users(std::move(users)),
      m_current(current) {
    QObject::connect(m_timer.get(), &ILockTimer::fired, &m_controller,
                     [this] { OnAutoLockTimer(); });
    m_quit = [](int code) { ::_exit(code); };
    m_controller.m_askUnlock = [this](CLockController::Reason reason) {
        return AskUnlock(reason == CLockController::Reason::KeyChangedElsewhere ||
                         m_users.size() > 1);
    };
    m_controller.m_quit = [this](int code) { m_quit(code); };
    // Nothing deciphers the file while locked: the key goes with the records.
    QObject::connect(&m_controller, &CLockController::locked, &m_controller, [this] {
        m_timer->Kill();
        SetDatabaseKey(m_context, CSecret());
    });
}

std::string CAutoLock::DatabasePath() const {
    return DatabasePathIn(m_view.Folder());
}

bool CAutoLock::IsPasswordSet() const {
    return tessarin::IsPasswordSet(DatabasePath());
}

void CAutoLock::RestartAutoLockTimer() {
    m_timer->Kill();
    if (m_controller.IsLocked() || !m_preferences.EffectiveAutoLock() || !IsPasswordSet())
        return;
    m_timer->Start(std::chrono::minutes(m_preferences.EffectiveSleepMinutes()));
}

bool CAutoLock::AskUnlock(bool forUser) {
    if (m_waitForWindow && !m_waitForWindow())
        return false;
    const std::string path = DatabasePath();
    const auto check = [this, &path](int, const CSecret& password) {
        if (!CheckPassword(path, password))
            return false;
        SetDatabaseKey(m_context, password);
        return true;
    };
    return m_prompts.AskPassword(forUser, m_users, m_current, false, check).has_value();
}

void CAutoLock::OnAutoLockTimer() {
    m_timer->Kill();
    if (IsPasswordSet())
        m_controller.Lock(CLockController::Reason::Idle);
}

bool CAutoLock::FileHasOurPassword() const {
    return !PasswordChangedElsewhere(m_view.Database());
}

bool CAutoLock::CheckKeyStillFits() {
    if (m_controller.IsLocked() || FileHasOurPassword())
        return true;
    SyncUnlock();
    return false;
}

void CAutoLock::SyncUnlock() {
    // Said more than once at times (a read and a save met it); once it is dealt with, nothing.
    if (FileHasOurPassword())
        return;
    m_timer->Kill();
    m_controller.Lock(CLockController::Reason::KeyChangedElsewhere);
}

}  // namespace tessarin
