#pragma once

// Follows the desktop session over D-Bus: the screen saver's lock (org.freedesktop.ScreenSaver
// ActiveChanged on the session bus), the login session's lock (logind's Session.Lock on the system
// bus, which "loginctl lock-session" and many desktops send) and the machine going to sleep
// (logind's PrepareForSleep). Each one locks the program as its idle timer would.
#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace tessarin {

class CSessionLockWatcher : public QObject {
    Q_OBJECT
public:
    // Watches the user's session bus and the system bus.
    explicit CSessionLockWatcher(std::function<void()> lock, QObject* parent = nullptr);
    // Watches the given buses (a test's private bus standing in for the system bus).
    CSessionLockWatcher(std::function<void()> lock, QDBusConnection session, QDBusConnection system,
                        QObject* parent = nullptr);
    // Whether any bus could be watched.
    bool Watching() const { return m_watching; }
    // The login session whose Lock is followed, once logind has named it; empty until then or
    // when there is none.
    const QString& LoginSessionPath() const { return m_loginSession; }

    // What the desktop did; whether the program locks for it (the user's preferences). Always when
    // unset.
    enum class Cause { ScreenLock, Sleep };
    std::function<bool(Cause)> m_wanted;

public Q_SLOTS:
    void OnScreenSaverActive(bool active);
    void OnPrepareForSleep(bool start);
    void OnSessionLock();

private:
    // Asks logind for this process's login session, then follows that session's Lock signal.
    void FollowLoginSession(QDBusConnection system, bool bySessionId);

    std::function<void()> m_lock;
    bool m_watching = false;
    QString m_loginSession;
};

}  // namespace tessarin
