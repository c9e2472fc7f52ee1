#include "app/session_lock.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace tessarin {

namespace {

const QString kLogin = QStringLiteral("org.freedesktop.login1");
const QString kLoginPath = QStringLiteral("/org/freedesktop/login1");
const QString kLoginManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kLoginSession = QStringLiteral("org.freedesktop.login1.Session");
// Answers from logind come at once or not at all; the start never waits for them.
constexpr int kLoginAnswerMs = 5000;

}  // namespace

CSessionLockWatcher::CSessionLockWatcher(std::function<void()> lock, QObject* parent)
    : CSessionLockWatcher(std::move(lock), QDBusConnection::sessionBus(),
                          QDBusConnection::systemBus(), parent) {}

CSessionLockWatcher::CSessionLockWatcher(std::function<void()> lock, QDBusConnection session,
                                         QDBusConnection system, QObject* parent)
    : QObject(parent), m_lock(std::move(lock)) {
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
    if (system.isConnected()) {
        m_watching |=
            system.connect(kLogin, kLoginPath, kLoginManager, QStringLiteral("PrepareForSleep"),
                           this, SLOT(OnPrepareForSleep(bool)));
        FollowLoginSession(system, false);
    }
}

void CSessionLockWatcher::FollowLoginSession(QDBusConnection system, bool bySessionId) {
    // The process's own session; a program started outside one (by a user service, say) has
    // none, and then the session the desktop's environment names.
    QDBusMessage call;
    if (bySessionId) {
        const QString id = qEnvironmentVariable("XDG_SESSION_ID");
        if (id.isEmpty())
            return;
        call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager,
                                              QStringLiteral("GetSession"));
        call << id;
    } else {
        call = QDBusMessage::createMethodCall(kLogin, kLoginPath, kLoginManager,
                                              QStringLiteral("GetSessionByPID"));
        call << static_cast<uint>(QCoreApplication::applicationPid());
    }
    auto* answer = new QDBusPendingCallWatcher(system.asyncCall(call, kLoginAnswerMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, system, bySessionId](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError()) {
                    if (!bySessionId)
                        FollowLoginSession(system, true);
                    return;
                }
                const QString path = reply.value().path();
                QDBusConnection bus = system;
                if (bus.connect(kLogin, path, kLoginSession, QStringLiteral("Lock"), this,
                                SLOT(OnSessionLock())))
                    m_loginSession = path;
            });
}

void CSessionLockWatcher::OnScreenSaverActive(bool active) {
    if (active && m_lock && (!m_wanted || m_wanted(Cause::ScreenLock)))
        m_lock();
}

void CSessionLockWatcher::OnPrepareForSleep(bool start) {
    if (start && m_lock && (!m_wanted || m_wanted(Cause::Sleep)))
        m_lock();
}

void CSessionLockWatcher::OnSessionLock() {
    if (m_lock)
        m_lock();
}

}  // namespace tessarin
