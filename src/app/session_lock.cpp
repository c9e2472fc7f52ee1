#include "app/session_lock.h"

#include <QDBusConnection>

namespace tessarin {

CSessionLockWatcher::CSessionLockWatcher(std::function<void()> lock, QObject* parent)
    : QObject(parent), m_lock(std::move(lock)) {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected()) {
        // Desktops send it under one of two interfaces, from whichever name they own: any
        // sender counts.
        for (const char* interface : {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"}) {
            const QString name = QString::fromLatin1(interface);
            m_watching |= session.connect(
                QString(), QStringLiteral("/") + QString(name).replace('.', '/'), name,
                QStringLiteral("ActiveChanged"), this, SLOT(OnScreenSaverActive(bool)));
        }
    }
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected())
        m_watching |= system.connect(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            this, SLOT(OnPrepareForSleep(bool)));
}

void CSessionLockWatcher::OnScreenSaverActive(bool active) {
    if (active && m_lock && (!m_wanted || m_wanted(Cause::ScreenLock)))
        m_lock();
}

void CSessionLockWatcher::OnPrepareForSleep(bool start) {
    if (start && m_lock && (!m_wanted || m_wanted(Cause::Sleep)))
        m_lock();
}

}  // namespace tessarin
