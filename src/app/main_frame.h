#pragma once

// The program's only top-level window: the menu bar and keys of the command table, the status bar
// with the command prompts and the key states, and the record view in the middle. It remembers its
// placement, and hands the view what other processes send.
#include <memory>
#include <string>

#include <QMainWindow>

#include "base/messages.h"
#include "sync/sync_commands.h"

class QLabel;
class QTimer;

namespace tessarin {

class CCommandTable;
class CPreferences;
class CStringTable;
class CTessarinDesktopView;

// The program file's version, as the About box shows it.
inline constexpr const char* kProgramVersion = "3.4.0.0";

inline constexpr int kMinimumFrameWidth = 500;
inline constexpr int kMinimumFrameHeight = 250;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // `userName` joins the title unless the platform has no handheld (`standalone`).
    CMainFrame(const CStringTable& strings, CPreferences& preferences, CTessarinDesktopView* view,
               const CMenuVisibility& menus, const QString& userName, bool standalone);
    ~CMainFrame() override;

    CCommandTable& Commands() { return *m_commands; }
    CTessarinDesktopView& View() { return *m_view; }

    // Places the window as "Winpos" says ("Maximized", or left, top, right and bottom at offsets
    // 0, 5, 10 and 15); `shift` moves a normal window 30 pixels right and down. True when it is
    // to be shown maximised. An empty text leaves the placement to the desktop.
    bool RestorePlacement(const std::string& winpos, bool shift);
    // "Maximized", or "%04d %04d %04d %04d" of the normal rectangle.
    std::string PlacementText() const;

    // What the status bar's message pane shows now.
    QString MessagePaneText() const;
    // The key-state panes as shown: "CAP", "NUM", "SCRL", or empty while the key is off.
    QStringList KeyPaneTexts() const;
    void UpdateKeyStates();

    // Opens the user guide beside the program; false after a message when it is not there.
    bool OpenUserGuide(const std::string& programFolder, IMessageSink& messages);

Q_SIGNALS:
    // The window became the active one (the user came back to it).
    void activated();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void BindFrameCommands();

    const CStringTable& m_strings;
    CPreferences& m_preferences;
    CTessarinDesktopView* m_view;
    CCommandTable* m_commands;
    QLabel* m_ready;
    QLabel* m_counts;
    QLabel* m_keyPanes[3];
    QTimer* m_keyTimer;
};

}  // namespace tessarin
