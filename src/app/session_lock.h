#pragma once

// Follows the desktop session over D-Bus: the screen saver's lock (org.freedesktop.ScreenSaver
// ActiveChanged on the session bus) and the machine going to sleep (logind's PrepareForSleep on the
// system bus). Either one locks the program as its idle timer would.
#include <functional>

#include <QObject>

namespace tessarin {

class CSessionLockWatcher : public QObject {
    Q_OBJECT
public:
    explicit CSessionLockWatcher(std::function<void()> lock, QObject* parent = nullptr);
    // Whether any bus could be watched.
    bool Watching() const { return m_watching; }

    // What the desktop did; whether the program locks for it (the user's preferences). Always when
    // unset.
    enum class Cause { ScreenLock, Sleep };
    std::function<bool(Cause)> m_wanted;

public Q_SLOTS:
    void OnScreenSaverActive(bool active);
    void OnPrepareForSleep(bool start);

private:
    std::function<void()> m_lock;
    bool m_watching = false;
};

}  // namespace tessarin
