// Locking from the window: File > Lock and its key, the title while locked, typing as activity,
// the lock when the window is minimized, the tray icon's menu and a start minimized.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/tray_icon.h"
#include "gui/shell_program_fixture.h"
#include "resources/command_table_data.h"
#include "store/preferences.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

constexpr const char* kUser = " - <Standalone>";
const QString kTitle = QStringLiteral("Tessarin Password Manager");
const QString kLockedTitle = QStringLiteral("Tessarin Password Manager (Locked)");

class WindowLock : public test::ShellProgram {
protected:
    void SetUp() override {
        MakeDatabase({"Mail", "Bank"});
        m_store.WriteNumber(kUser, "Auto Lock", 1);
        m_store.WriteNumber(kUser, "Sleep Minutes", 10);
    }
    // What the user saw while the password was asked.
    struct CSeen {
        int asked = 0;
        bool locked = false;
        int rows = -1;
        size_t records = 0;
        QString title;
    };
    void WatchTheLock(CTessarinDesktopApp& app, CSeen& seen) {
        m_prompts.passwords = {kPassword};
        m_prompts.onAskPassword = [&app, &seen] {
            ++seen.asked;
            seen.locked = app.View()->IsLocked();
            seen.rows = app.View()->RowCount();
            seen.records = app.View()->Database().m_records.Size();
            seen.title = app.Frame()->windowTitle();
        };
    }
    void Settle(CTessarinDesktopApp& app) {
        QCoreApplication::processEvents();
        test::SettleLock(*app.LockController());
    }
};

TEST_F(WindowLock, LockLocksAtOnceHidesEveryRecordAndMarksTheTitleUntilTheUnlock) {
    auto app = Start();
    CCommandTable& commands = app->Frame()->Commands();
    QAction* lock = commands.Action(cmd::kLock);
    commands.UpdateEnabled();
    EXPECT_TRUE(lock->isEnabled());
    EXPECT_EQ(app->Frame()->windowTitle(), kTitle);

    // From the menu, and with its key, long before the idle time is up.
    const std::function<void()> ways[] = {
        [&] { lock->trigger(); },
        [&] { QTest::keyClick(app->View()->List(), Qt::Key_L, Qt::ControlModifier); },
    };
    for (const auto& way : ways) {
        CSeen seen;
        WatchTheLock(*app, seen);
        way();
        Settle(*app);
        EXPECT_EQ(seen.asked, 1);
        EXPECT_TRUE(seen.locked);
        EXPECT_EQ(seen.rows, 0);
        EXPECT_EQ(seen.records, 0u);
        EXPECT_EQ(seen.title, kLockedTitle);
        EXPECT_FALSE(app->View()->IsLocked());
        EXPECT_EQ(app->View()->RowCount(), 2);
        EXPECT_EQ(app->Frame()->windowTitle(), kTitle);
    }

    // Quit at its password dialog ends the program as the idle lock's does.
    m_prompts.onAskPassword = nullptr;
    m_prompts.passwords = {"wrong"};
    lock->trigger();
    Settle(*app);
    EXPECT_EQ(m_quitCode, 1);
}

TEST_F(WindowLock, WithoutAPasswordThereIsNothingToLock) {
    MakeDatabase({"Mail"}, "");
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    CCommandTable& commands = app->Frame()->Commands();
    commands.UpdateEnabled();
    EXPECT_FALSE(commands.Action(cmd::kLock)->isEnabled());
    EXPECT_FALSE(commands.Run(cmd::kLock));
    EXPECT_FALSE(app->View()->IsLocked());
    EXPECT_EQ(m_prompts.passwordDialogs, 0);
}

// Someone who works with the keyboard alone is not locked in the middle of it: every key pressed
// in a window of the program counts, a shortcut too, as the mouse does.
TEST_F(WindowLock, KeyPressesInAnyWindowReArmTheAutoLock) {
    auto app = Start();
    QLineEdit otherWindow;  // a dialog's field, say
    const struct {
        const char* what;
        std::function<void()> press;
    } cases[] = {
        {"a key in the list", [&] { QTest::keyClick(app->View()->List(), Qt::Key_Down); }},
        // A key that a shortcut takes never arrives as a key press: Qt offers it to the focus
        // widget first, as this event, and then triggers the command.
        {"a key that is a shortcut",
         [&] {
             QKeyEvent offered(QEvent::ShortcutOverride, Qt::Key_Delete, Qt::NoModifier);
             QCoreApplication::sendEvent(app->View()->List(), &offered);
         }},
        {"a letter in another window",
         [&] {
             otherWindow.show();
             QTest::keyClick(&otherWindow, Qt::Key_A);
         }},
    };
    ASSERT_TRUE(m_timer->Pending());
    m_timer->Advance(std::chrono::minutes(9));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int starts = m_timer->starts;
        c.press();
        EXPECT_GT(m_timer->starts, starts);
        // Nine more minutes pass without a lock: the count started again at the key.
        m_timer->Advance(std::chrono::minutes(9));
        EXPECT_FALSE(app->View()->IsLocked());
    }
    // The rest of the ten minutes.
    m_prompts.passwords = {kPassword};
    m_timer->Advance(std::chrono::minutes(1));
    Settle(*app);
    EXPECT_EQ(m_prompts.passwordDialogs, 2);  // the login and this lock

    // Typing while locked (the password, say) starts nothing: the unlock does not re-arm it.
    m_prompts.passwords = {kPassword};
    m_prompts.onAskPassword = [&] { QTest::keyClick(&otherWindow, Qt::Key_A); };
    app->Frame()->Commands().Run(cmd::kLock);
    Settle(*app);
    EXPECT_FALSE(m_timer->Pending());
}

TEST_F(WindowLock, MinimizingLocksWhenAskedAndThePasswordWaitsForTheWindow) {
    auto app = Start();
    CMainFrame& frame = *app->Frame();
    // Off by default.
    frame.showMinimized();
    Settle(*app);
    EXPECT_FALSE(app->LockController()->IsLocked());
    frame.showNormal();
    // What the window system says of the window's states has arrived.
    QCoreApplication::processEvents();

    m_store.WriteNumber(kUser, "Lock When Minimized", 1);
    CSeen seen;
    WatchTheLock(*app, seen);
    bool waited = false;
    QString titleWhileWaiting;
    // While the window is down, no password dialog appears on its own; it is asked once the user
    // brings the window back.
    QTimer::singleShot(50, [&] {
        waited = app->FrameStates()->Waiting() && seen.asked == 0;
        titleWhileWaiting = frame.windowTitle();
        frame.showNormal();
    });
    frame.showMinimized();
    Settle(*app);
    EXPECT_TRUE(waited);
    EXPECT_EQ(titleWhileWaiting, kLockedTitle);
    EXPECT_EQ(seen.asked, 1);
    EXPECT_EQ(seen.rows, 0);
    EXPECT_FALSE(app->View()->IsLocked());
    EXPECT_EQ(frame.windowTitle(), kTitle);
}

class TrayIcon : public WindowLock {
protected:
    void SetUp() override {
        WindowLock::SetUp();
        m_trayAvailable = true;
    }
    static QStringList Texts(const QMenu& menu) {
        QStringList texts;
        for (const QAction* action : menu.actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return texts;
    }
};

TEST_F(TrayIcon, ItsMenuShowsLocksAndQuitsAndMinimizingHidesInItWhenAsked) {
    auto app = Start();
    CTrayIcon* tray = app->Tray();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(Texts(*tray->Menu()), QStringList({"&Show Tessarin", "&Lock", "-", "&Quit"}));
    CMainFrame& frame = *app->Frame();

    // Minimizing keeps the window on the task bar unless the user asked for the tray.
    frame.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame.isVisible());
    frame.showNormal();
    QCoreApplication::processEvents();
    m_store.WriteNumber(kUser, "Minimize To Tray", 1);
    frame.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(app->FrameStates()->OutOfSight());
    tray->ShowAction()->trigger();
    EXPECT_TRUE(frame.isVisible());
    EXPECT_FALSE(frame.isMinimized());

    // Lock, as File > Lock does; it is not offered while locked.
    CSeen seen;
    WatchTheLock(*app, seen);
    bool lockOffered = true;
    m_prompts.onAskPassword = [&, watch = m_prompts.onAskPassword] {
        watch();
        Q_EMIT tray->Menu()->aboutToShow();
        lockOffered = tray->LockAction()->isEnabled();
    };
    tray->LockAction()->trigger();
    Settle(*app);
    EXPECT_EQ(seen.asked, 1);
    EXPECT_EQ(seen.rows, 0);
    EXPECT_FALSE(lockOffered);
    EXPECT_TRUE(tray->LockAction()->isEnabled());

    // Quit closes the window, and with it the program.
    bool ended = false;
    app->FrameStates()->m_quitProgram = [&] { ended = true; };
    tray->QuitAction()->trigger();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_TRUE(ended);
    EXPECT_EQ(m_quitCode, -1);
}

// Where the desktop's tray takes icons as windows, Qt's window of the icon outlives the lock,
// which closes every other window.
TEST_F(TrayIcon, TheLockLeavesTheIconsWindowInTheTray) {
    auto app = Start();
    QWidget icon;
    icon.setObjectName(QStringLiteral("QSystemTrayIconSys"));
    icon.show();
    QWidget other;
    other.show();
    m_prompts.passwords = {kPassword};
    app->Frame()->Commands().Run(cmd::kLock);
    Settle(*app);
    EXPECT_EQ(m_prompts.passwordDialogs, 2);
    EXPECT_TRUE(icon.isVisible());
    EXPECT_FALSE(other.isVisible());
}

// Locked, whether the password dialog is up or waits for the window in the tray, Quit ends the
// program as that dialog's Quit does: at once, saving nothing more.
TEST_F(TrayIcon, QuitWhileLockedEndsAsThePasswordDialogsQuit) {
    auto app = Start();
    CTrayIcon* tray = app->Tray();
    ASSERT_NE(tray, nullptr);
    // The test's quit returns: the password given afterwards is not what ended it.
    m_prompts.passwords = {kPassword};
    int codeAtQuit = -1;
    m_prompts.onAskPassword = [&] {
        tray->QuitAction()->trigger();
        QCoreApplication::processEvents();
        codeAtQuit = m_quitCode;
    };
    tray->LockAction()->trigger();
    Settle(*app);
    EXPECT_EQ(codeAtQuit, 1);

    app.reset();
    m_prompts.onAskPassword = nullptr;
    auto again = Start();
    QCoreApplication::processEvents();
    m_quitCode = -1;
    const int dialogs = m_prompts.passwordDialogs;
    m_store.WriteNumber(kUser, "Minimize To Tray", 1);
    m_store.WriteNumber(kUser, "Lock When Minimized", 1);
    QTimer::singleShot(50, [&] {
        EXPECT_TRUE(again->FrameStates()->Waiting());
        again->Tray()->QuitAction()->trigger();
    });
    again->Frame()->showMinimized();
    Settle(*again);
    EXPECT_EQ(m_quitCode, 1);
    EXPECT_EQ(m_prompts.passwordDialogs, dialogs);  // not asked
}

TEST_F(TrayIcon, AStartMinimizedWaitsInTheTrayOrOnTheTaskBar) {
    m_store.WriteNumber(kUser, "Start Minimized", 1);
    for (const bool tray : {true, false}) {
        SCOPED_TRACE(tray);
        m_trayAvailable = tray;
        auto app = Start();
        EXPECT_EQ(app->Frame()->isVisible(), !tray);
        EXPECT_EQ(app->Frame()->isMinimized(), !tray);
        EXPECT_TRUE(app->FrameStates()->OutOfSight());
        EXPECT_EQ(app->Tray() != nullptr, tray);
        // The idle lock that comes meanwhile asks once the window is shown.
        const int dialogs = m_prompts.passwordDialogs;
        m_prompts.passwords = {kPassword};
        QTimer::singleShot(50, [&] {
            EXPECT_EQ(m_prompts.passwordDialogs, dialogs);
            app->FrameStates()->ShowWindow();
        });
        m_timer->Advance(std::chrono::minutes(10));
        Settle(*app);
        EXPECT_EQ(m_prompts.passwordDialogs, dialogs + 1);
        EXPECT_TRUE(app->Frame()->isVisible());
        EXPECT_FALSE(app->View()->IsLocked());
    }
}

}  // namespace
}  // namespace tessarin
