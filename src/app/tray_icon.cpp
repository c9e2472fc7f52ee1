#include "app/tray_icon.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/frame_states.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "ui/command_table.h"
#include "ui/lock_controller.h"
#include "ui/ui_text.h"

namespace tessarin {

CTrayIcon::CTrayIcon(const CStringTable& strings, CCommandTable& commands, CFrameStates& frame,
                     CLockController& lock, QObject* parent)
    : QObject(parent),
      m_strings(strings),
      m_commands(commands),
      m_frame(frame),
      m_lockController(lock),
      m_menu(new QMenu),
      m_icon(new QSystemTrayIcon(this)) {
    m_show = m_menu->addAction(UiText(strings, str::kTrayShow));
    m_lock = m_menu->addAction(UiText(strings, str::kTrayLock));
    m_menu->addSeparator();
    m_quit = m_menu->addAction(UiText(strings, str::kTrayQuit));
    // The prompts of the commands they run.
    m_lock->setStatusTip(UiText(strings, static_cast<int>(cmd::kLock)));
    m_quit->setStatusTip(UiText(strings, static_cast<int>(cmd::kExit)));
    // Queued, as the menus' commands are: the menu closes before a command opens a window.
    connect(m_show, &QAction::triggered, this, [this] { m_frame.ShowWindow(); });
    connect(
        m_lock, &QAction::triggered, this, [this] { m_commands.Run(cmd::kLock); },
        Qt::QueuedConnection);
    connect(m_quit, &QAction::triggered, this, &CTrayIcon::Quit, Qt::QueuedConnection);
    connect(m_menu, &QMenu::aboutToShow, this, &CTrayIcon::UpdateEnabled);
    connect(&lock, &CLockController::locked, this, [this] { MarkLocked(true); });
    connect(&lock, &CLockController::unlocked, this, [this] { MarkLocked(false); });

    m_icon->setIcon(QGuiApplication::windowIcon());
    m_icon->setContextMenu(m_menu);
    MarkLocked(false);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick)
                    m_frame.ShowWindow();
            });
    UpdateEnabled();
}

CTrayIcon::~CTrayIcon() {
    delete m_menu;
}

bool CTrayIcon::Available() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::Show() {
    m_icon->show();
}

void CTrayIcon::UpdateEnabled() {
    m_lock->setEnabled(!m_lockController.IsLocked() && m_commands.IsEnabled(cmd::kLock));
}

void CTrayIcon::MarkLocked(bool locked) {
    const QString name = UiText(m_strings, str::kProgramName);
    m_icon->setToolTip(locked ? UiText(m_strings, str::kLockedTitle, {QStringToCp1252(name)}) : name);
    UpdateEnabled();
}

void CTrayIcon::Quit() {
    // Locked, the program ends as the password dialog's Quit ends it, whether that dialog is
    // open or waits for the window to come back; a lock that is still closing windows finishes
    // first.
    if (m_frame.Waiting())
        m_frame.QuitWhileWaiting();
    else if (m_lockController.CurrentState() == CLockController::State::Locked)
        m_lockController.QuitLocked();
    else if (!m_lockController.IsLocked())
        m_commands.Run(cmd::kExit);
}

}  // namespace tessarin
