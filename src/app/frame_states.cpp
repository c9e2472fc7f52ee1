#include "app/frame_states.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMainWindow>
#include <QTimer>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/preferences.h"
#include "ui/lock_controller.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// QEventLoop::exec's results of a wait.
constexpr int kBackInSight = 1;
constexpr int kQuit = 0;

}  // namespace

CFrameStates::CFrameStates(const CStringTable& strings, const CPreferences& preferences,
                           QMainWindow& frame, CLockController& lock, std::function<void()> lockNow,
                           QObject* parent)
    : QObject(parent),
      m_strings(strings),
      m_preferences(preferences),
      m_frame(frame),
      m_lockNow(std::move(lockNow)) {
    m_quitProgram = [] { QCoreApplication::quit(); };
    m_frame.installEventFilter(this);
    connect(&lock, &CLockController::locked, this, [this] { MarkLocked(true); });
    connect(&lock, &CLockController::unlocked, this, [this] { MarkLocked(false); });
}

CFrameStates::~CFrameStates() {
    QuitWhileWaiting();
    m_frame.removeEventFilter(this);
    if (m_trayAvailable)
        QApplication::setQuitOnLastWindowClosed(true);
}

void CFrameStates::SetTrayAvailable(bool available) {
    m_trayAvailable = available;
    QApplication::setQuitOnLastWindowClosed(!available);
}

void CFrameStates::MarkLocked(bool locked) {
    if (locked) {
        m_title = m_frame.windowTitle();
        m_frame.setWindowTitle(UiText(m_strings, str::kLockedTitle, {QStringToCp1252(m_title)}));
    } else if (!m_title.isEmpty()) {
        m_frame.setWindowTitle(m_title);
    }
}

void CFrameStates::ShowAtStart(bool maximized) {
    if (maximized)
        m_frame.setWindowState(Qt::WindowMaximized);
    if (m_preferences.ReadNumber(Pref::StartMinimized) == 0)
        m_frame.show();
    else if (m_trayAvailable)
        m_frame.hide();
    else
        m_frame.showMinimized();
}

void CFrameStates::ShowWindow() {
    m_frame.setWindowState(m_frame.windowState() & ~Qt::WindowMinimized);
    m_frame.show();
    m_frame.raise();
    m_frame.activateWindow();
}

bool CFrameStates::OutOfSight() const {
    // A window hidden without a tray to come back from is not waited for.
    return m_frame.isMinimized() || (!m_frame.isVisible() && m_trayAvailable);
}

bool CFrameStates::WaitUntilInSight() {
    if (!OutOfSight())
        return true;
    QEventLoop loop;
    m_wait = &loop;
    const bool back = loop.exec() == kBackInSight;
    m_wait = nullptr;
    return back;
}

void CFrameStates::QuitWhileWaiting() {
    if (m_wait)
        m_wait->exit(kQuit);
}

void CFrameStates::Minimized() {
    if (m_preferences.ReadNumber(Pref::LockWhenMinimized) != 0 && m_lockNow)
        m_lockNow();
    // Hidden once the window system has finished minimizing it.
    if (m_trayAvailable && m_preferences.ReadNumber(Pref::MinimizeToTray) != 0)
        QTimer::singleShot(0, this, [this] {
            if (m_frame.isMinimized())
                m_frame.hide();
        });
}

bool CFrameStates::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &m_frame)
        return false;
    switch (event->type()) {
        case QEvent::WindowStateChange:
            if (m_frame.isMinimized())
                Minimized();
            [[fallthrough]];
        case QEvent::Show:
            if (m_wait && !OutOfSight())
                m_wait->exit(kBackInSight);
            break;
        case QEvent::Close:
            // With a tray the program does not end by itself when its window closes.
            if (m_trayAvailable)
                QTimer::singleShot(0, this, [this] {
                    if (!m_frame.isVisible() && m_quitProgram)
                        m_quitProgram();
                });
            break;
        default:
            break;
    }
    return false;
}

}  // namespace tessarin
