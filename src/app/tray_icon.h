#pragma once

// The program's icon in the desktop's tray (the system tray, or a StatusNotifierItem host, through
// Qt), where the desktop has one: a click brings the window back; its menu has Show, Lock and
// Quit. Lock and Quit run the main window's commands; Quit while the program is locked ends it as
// the password dialog's Quit does.
#include <QObject>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace tessarin {

class CCommandTable;
class CFrameStates;
class CLockController;
class CStringTable;

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    CTrayIcon(const CStringTable& strings, CCommandTable& commands, CFrameStates& frame,
              CLockController& lock, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Whether the desktop shows a tray now.
    static bool Available();

    QMenu* Menu() const { return m_menu; }
    // The icon on the tray.
    void Show();
    // Asks the menu's rules again (done before it opens).
    void UpdateEnabled();

    QAction* ShowAction() const { return m_show; }
    QAction* LockAction() const { return m_lock; }
    QAction* QuitAction() const { return m_quit; }

private:
    void Quit();
    void MarkLocked(bool locked);

    const CStringTable& m_strings;
    CCommandTable& m_commands;
    CFrameStates& m_frame;
    CLockController& m_lockController;
    QMenu* m_menu;
    QSystemTrayIcon* m_icon;
    QAction* m_show;
    QAction* m_lock;
    QAction* m_quit;
};

}  // namespace tessarin
