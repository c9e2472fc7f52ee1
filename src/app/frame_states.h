#pragma once

// The main window's states around the lock: its title says "(Locked)" while the program is locked;
// minimized, it locks the program and hides in the tray when the user asked for either; it starts
// minimized when asked to; and while it is out of sight the unlock waits for it to come back
// before asking for the password, so that no password dialog appears on its own.
#include <functional>

#include <QEventLoop>
#include <QObject>
#include <QPointer>
#include <QString>

class QMainWindow;

namespace tessarin {

class CLockController;
class CPreferences;
class CStringTable;

class CFrameStates : public QObject {
    Q_OBJECT
public:
    // `lockNow` locks the program as its idle timer does.
    CFrameStates(const CStringTable& strings, const CPreferences& preferences, QMainWindow& frame,
                 CLockController& lock, std::function<void()> lockNow, QObject* parent = nullptr);
    ~CFrameStates() override;

    // Whether there is a tray to hide in. While there is, the program ends when its window closes,
    // not when its last window does (a message closing while the window is in the tray).
    void SetTrayAvailable(bool available);
    bool TrayAvailable() const { return m_trayAvailable; }

    // The window's first showing: maximized or not, or minimized ("Start Minimized": hidden in the
    // tray where there is one, else on the task bar).
    void ShowAtStart(bool maximized);
    // Brings the window back from the tray or the task bar, in front.
    void ShowWindow();
    // Minimized, or hidden in the tray.
    bool OutOfSight() const;

    // Before the password is asked: waits while the window is out of sight, until it is back
    // (true) or QuitWhileWaiting is called (false).
    bool WaitUntilInSight();
    bool Waiting() const { return m_wait != nullptr; }
    // Ends a wait with "quit".
    void QuitWhileWaiting();

    // Ends the program's event loop; a test's own in tests.
    std::function<void()> m_quitProgram;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Minimized();
    void MarkLocked(bool locked);

    const CStringTable& m_strings;
    const CPreferences& m_preferences;
    QMainWindow& m_frame;
    std::function<void()> m_lockNow;
    bool m_trayAvailable = false;
    QString m_title;  // the title without the mark
    QPointer<QEventLoop> m_wait;
};

}  // namespace tessarin
