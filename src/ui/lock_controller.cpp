#include "ui/lock_controller.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include "store/database_session.h"

namespace tessarin {

namespace {

// The exit code when the user quits at the password dialog of a lock.
constexpr int kExitAtUnlockQuit = 1;
// How often the lock looks again whether the calls it closed windows under have returned.
constexpr int kUnwindPollMs = 10;

void CloseWindow(QWidget* window) {
    if (auto* stores = dynamic_cast<CStoresAtLock*>(window))
        stores->StoreAtLock();
    else if (auto* dialog = qobject_cast<QDialog*>(window))
        dialog->reject();
    else
        window->close();
    // A window that will not close does not stay on the screen either.
    if (window->isVisible())
        window->hide();
}

// Where the desktop's tray takes icons as windows, the program's icon is a window of Qt's own:
// it shows no record and stays, so that the user can still reach the program from the tray.
bool IsTrayIcon(const QWidget* window) {
    return window->objectName() == QLatin1String("QSystemTrayIconSys");
}

}  // namespace

CLockController::CLockController(CDatabaseSession& session, QObject* parent)
    : QObject(parent), m_session(session) {}

void CLockController::Lock(Reason reason) {
    if (m_state != State::Unlocked) {
        // A lock under way asks for the password the file now has either way.
        if (reason == Reason::KeyChangedElsewhere)
            m_reason = reason;
        return;
    }
    m_state = State::Locking;
    m_reason = reason;
    // A window that stores its edits at the lock would make a second change inside the one under
    // way: the windows close once that change has ended.
    if (!m_session.Busy())
        CloseWindows();
    ContinueOnceUnwound();
}

void CLockController::CloseWindows() {
    // Menus first, then the dialogs from the top down, then every other window but the main one:
    // whatever they show, none stays.
    while (QWidget* popup = QApplication::activePopupWidget())
        CloseWindow(popup);
    for (int opened = 0; opened < 1000; ++opened) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == m_mainWindow)
            break;
        CloseWindow(modal);
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window != m_mainWindow && window->isVisible() && !IsTrayIcon(window))
            CloseWindow(window);
}

void CLockController::ContinueOnceUnwound() {
    // The windows just closed return from their own event loops one after the other; the records
    // go, and the password is asked, only once every call they were running has returned, and a
    // change under way (a save writing the file aside, an import applied in pieces) has ended.
    QTimer::singleShot(0, this, [this] {
        if (QThread::currentThread()->loopLevel() > 1 || m_session.Busy()) {
            if (!m_session.Busy())
                CloseWindows();  // one opened meanwhile (a message after a closed dialog, say)
            QTimer::singleShot(kUnwindPollMs, this, [this] { ContinueOnceUnwound(); });
            return;
        }
        LockNow();
    });
}

void CLockController::QuitLocked() {
    if (m_quit)
        m_quit(kExitAtUnlockQuit);
}

void CLockController::LockNow() {
    CloseWindows();
    m_state = State::Locked;
    // What is unsaved is saved, then every record is let go; the observers empty their rows.
    m_session.Suspend();
    Q_EMIT locked();
    if (m_askUnlock && !m_askUnlock(m_reason)) {
        QuitLocked();
        return;
    }
    m_session.Resume();
    m_state = State::Unlocked;
    m_reason = Reason::Idle;
    Q_EMIT unlocked();
}

}  // namespace tessarin
