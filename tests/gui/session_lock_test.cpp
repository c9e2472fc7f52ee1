// The lock follows the login session: logind's Lock signal for this process's session, on a
// private bus standing in for the system bus, with a fake logind on it.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>

#include "app/session_lock.h"

namespace tessarin {
namespace {

const QString kOurs = QStringLiteral("/org/freedesktop/login1/session/_32");
const QString kOthers = QStringLiteral("/org/freedesktop/login1/session/_39");

// Answers the manager's session look-ups as logind does; by process id only when asked to.
class CFakeLogin : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        QDBusConnection bus = connection;
        if (message.member() == QStringLiteral("GetSessionByPID") && byPid) {
            pids << message.arguments().value(0).toUInt();
            bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kOurs))));
        } else if (message.member() == QStringLiteral("GetSession") &&
                   message.arguments().value(0).toString() == QStringLiteral("c7")) {
            bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kOurs))));
        } else {
            bus.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchSession"),
                                         QStringLiteral("no session")));
        }
        return true;
    }
    bool byPid = true;
    QList<uint> pids;
};

class LoginSession : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/setup)";
        m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(m_daemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        m_login = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("fake-login")));
        m_system = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("watcher-system")));
        ASSERT_TRUE(m_login->isConnected() && m_system->isConnected());
        ASSERT_TRUE(m_login->registerService(QStringLiteral("org.freedesktop.login1")));
        ASSERT_TRUE(m_login->registerVirtualObject(QStringLiteral("/org/freedesktop/login1"),
                                                   &m_fake, QDBusConnection::SingleNode));
    }
    void TearDown() override {
        m_watcher.reset();
        m_login.reset();
        m_system.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-login"));
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher-system"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    void Watch() {
        m_watcher = std::make_unique<CSessionLockWatcher>(
            [this] { ++m_locks; }, QDBusConnection(QStringLiteral("no session bus")), *m_system);
        Until([this] { return !m_watcher->LoginSessionPath().isEmpty(); });
    }
    void Send(const QString& path, const QString& interface, const QString& name,
              const QVariantList& arguments = {}) {
        QDBusMessage signal = QDBusMessage::createSignal(path, interface, name);
        signal.setArguments(arguments);
        m_login->send(signal);
    }
    // Serves the event loop until `done` holds (or a long while has passed).
    static void Until(const std::function<bool()>& done) {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QProcess m_daemon;
    CFakeLogin m_fake;
    std::unique_ptr<QDBusConnection> m_login, m_system;
    std::unique_ptr<CSessionLockWatcher> m_watcher;
    int m_locks = 0;
};

TEST_F(LoginSession, TheLockOfThisProcesssSessionLocksAndAnotherSessionsDoesNot) {
    Watch();
    EXPECT_EQ(m_watcher->LoginSessionPath(), kOurs);
    EXPECT_EQ(m_fake.pids, QList<uint>{static_cast<uint>(QCoreApplication::applicationPid())});
    const QString session = QStringLiteral("org.freedesktop.login1.Session");
    Send(kOthers, session, QStringLiteral("Lock"));
    Send(kOurs, session, QStringLiteral("Unlock"));
    Send(kOurs, session, QStringLiteral("Lock"));
    Until([this] { return m_locks > 0; });
    // Signals from one sender arrive in order: the other session's Lock came first, and did not
    // count.
    EXPECT_EQ(m_locks, 1);
    Send(QStringLiteral("/org/freedesktop/login1"),
         QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
         {true});
    Until([this] { return m_locks > 1; });
    EXPECT_EQ(m_locks, 2);
}

TEST_F(LoginSession, WithoutASessionOfItsOwnTheProgramFollowsTheDesktopsSession) {
    m_fake.byPid = false;
    const QByteArray kept = qgetenv("XDG_SESSION_ID");
    qputenv("XDG_SESSION_ID", "c7");
    Watch();
    kept.isNull() ? qunsetenv("XDG_SESSION_ID") : qputenv("XDG_SESSION_ID", kept);
    EXPECT_EQ(m_watcher->LoginSessionPath(), kOurs);
    Send(kOurs, QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"));
    Until([this] { return m_locks > 0; });
    EXPECT_EQ(m_locks, 1);
}

}  // namespace
}  // namespace tessarin
