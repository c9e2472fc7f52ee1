// The main window: its menus from the command table, the status bar, the title and the placement.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "app/main_frame.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/ui_text.h"

namespace tessarin {
namespace {

class MainFrame : public ::testing::Test {
protected:
    std::unique_ptr<CMainFrame> Make(CMenuVisibility menus = {}, bool standalone = true,
                                     const QString& user = QStringLiteral("Ann")) {
        return std::make_unique<CMainFrame>(m_context.Strings(), m_preferences,
                                            new CTessarinDesktopView(m_context, m_preferences),
                                            menus, user, standalone);
    }
    static QStringList Titles(const QMenu* menu) {
        QStringList titles;
        for (QAction* action : menu->actions())
            titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return titles;
    }

    CCoreContext m_context;
    CMemoryPreferenceStore m_store;
    CPreferences m_preferences{m_store};
};

TEST_F(MainFrame, MenuBarFollowsTheCommandTableAndThePlatform) {
    struct Case {
        CMenuVisibility menus;
        QStringList popups;
    } cases[] = {
        {{true, true}, {"&File", "&Edit", "&Item", "&View", "&User", "Sync", "&Help"}},
        {{true, false}, {"&File", "&Edit", "&Item", "&View", "&User", "&Help"}},
        {{false, true}, {"&File", "&Edit", "&Item", "&View", "Sync", "&Help"}},
        {{false, false}, {"&File", "&Edit", "&Item", "&View", "&Help"}},
    };
    for (const Case& c : cases) {
        auto frame = Make(c.menus);
        QStringList popups;
        for (QAction* action : frame->menuBar()->actions())
            popups << action->text();
        EXPECT_EQ(popups, c.popups);
    }
    auto frame = Make();
    const QMenu* file = frame->Commands().Popup(cmd::Popup::File);
    EXPECT_EQ(Titles(file),
              QStringList({"&Set Password...", "-", "Edit &Types...", "Edit &Categories...",
                           "Change Database Location...", "-", "&Print...\tCtrl+P",
                           "Print Pre&view", "P&rint Setup...", "-", "&Import", "&Export...", "-",
                           "Backup...", "Restore...", "-", "&Lock\tCtrl+L", "&Auto-Lock...", "-",
                           "E&xit"}));
    EXPECT_EQ(Titles(frame->Commands().Popup(cmd::Popup::Edit)).mid(13),
              QStringList({"Copy Note\tCtrl+7", "-", "Pr&eferences..."}));
    EXPECT_EQ(frame->Commands().Action(cmd::kLock)->shortcuts(),
              QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_L)}));
    EXPECT_EQ(Titles(frame->Commands().Popup(cmd::Popup::Import)),
              QStringList({"&Tessarin vEX...", "&CSV...", "Cr&yptinfo TXT...", "&eWallet TXT...",
                           "&MobileSafe TXT...", "&TopSecret CSV...", "&Yaps TXT...",
                           "&From Another Password Manager"}));
    EXPECT_EQ(Titles(frame->Commands().Popup(cmd::Popup::FromManager)),
              QStringList({"&KeePassXC CSV...", "&Bitwarden CSV or JSON...",
                           "&Chrome, Chromium, Edge or Brave CSV...", "&Firefox CSV...",
                           "&1Password CSV...", "&LastPass CSV...", "&Proton Pass CSV..."}));
    EXPECT_EQ(Titles(frame->Commands().Popup(cmd::Popup::Export)),
              QStringList({"Tessarin vEX...", "CSV...", "For Another Password Manager..."}));
    EXPECT_EQ(Titles(frame->Commands().Popup(cmd::Popup::Help)),
              QStringList({"&About Tessarin Password Manager...", "&User Guide..."}));
}

TEST_F(MainFrame, CommandsWithoutHandlerOrWhoseRuleSaysNoAreDisabled) {
    auto frame = Make();
    CCommandTable& commands = frame->Commands();
    EXPECT_FALSE(commands.Action(cmd::kPrint)->isEnabled());
    int runs = 0;
    commands.SetHandler(cmd::kPrint, [&] { ++runs; });
    EXPECT_TRUE(commands.Action(cmd::kPrint)->isEnabled());
    commands.Action(cmd::kPrint)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);

    bool allowed = false;
    commands.SetEnableRule(cmd::kPrint, [&] { return allowed; });
    EXPECT_FALSE(commands.Action(cmd::kPrint)->isEnabled());
    EXPECT_FALSE(commands.Run(cmd::kPrint));
    allowed = true;
    commands.UpdateEnabled();
    EXPECT_TRUE(commands.Action(cmd::kPrint)->isEnabled());
    // A command is stopped when the program must first ask for the password again.
    commands.m_beforeRun = [](uint32_t id) { return id != cmd::kPrint; };
    EXPECT_FALSE(commands.Run(cmd::kPrint));
    EXPECT_EQ(runs, 1);

    // The frame's own commands work from the start.
    EXPECT_TRUE(commands.Action(cmd::kAbout)->isEnabled());
    EXPECT_TRUE(commands.Action(cmd::kExit)->isEnabled());
    EXPECT_EQ(
        commands.Action(cmd::kDeleteItem)->shortcuts(),
        QList<QKeySequence>({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::CTRL | Qt::Key_E)}));
    // Enter of the keypad opens a record as Return does.
    EXPECT_EQ(commands.Action(cmd::kEditItem)->shortcuts(),
              QList<QKeySequence>({QKeySequence(Qt::Key_Return),
                                   QKeySequence(Qt::KeypadModifier | Qt::Key_Enter)}));
}

TEST_F(MainFrame, EachCommandAndRangeIsBoundOnceAndRangesRunWithTheEntrysPosition) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto frame = Make();
    CCommandTable& commands = frame->Commands();
    // The frame owns Exit; a second owner is a programming error that debug builds stop at.
    EXPECT_DEBUG_DEATH(commands.SetHandler(cmd::kExit, [] {}), "bound once");
    commands.SetEnableRule(cmd::kPrint, [] { return true; });
    EXPECT_DEBUG_DEATH(commands.SetEnableRule(cmd::kPrint, [] { return false; }), "bound once");

    // The view owns the type and category entries of its shortcut menu.
    EXPECT_DEBUG_DEATH(commands.SetRangeHandler(cmd::kCategoryCommands, [](uint32_t) {}),
                       "bound once");

    std::vector<uint32_t> ran;
    std::vector<uint32_t> asked;
    commands.m_beforeRun = [&](uint32_t id) {
        asked.push_back(id);
        return id != cmd::kFirstUser + 1;
    };
    EXPECT_FALSE(commands.IsEnabled(cmd::kFirstUser + 3));
    commands.SetRangeHandler(cmd::kUserCommands, [&](uint32_t n) { ran.push_back(n); });
    EXPECT_TRUE(commands.Run(cmd::kFirstUser + 3));
    EXPECT_FALSE(commands.Run(cmd::kFirstUser + 1));  // stopped before it ran
    EXPECT_FALSE(commands.Run(cmd::kLastUser + 1));   // past the range: no command
    EXPECT_EQ(ran, std::vector<uint32_t>{3});
    EXPECT_EQ(asked, (std::vector<uint32_t>{cmd::kFirstUser + 3, cmd::kFirstUser + 1}));

    // A menu's item of a range runs through the table, after the menu has closed.
    QMenu menu;
    QAction* inRange = commands.AddItem(&menu, cmd::kFirstUser + 7, QStringLiteral("Ann"));
    QAction* past = commands.AddItem(&menu, cmd::kLastUser + 1, QStringLiteral("Late"));
    EXPECT_TRUE(inRange->isEnabled());
    EXPECT_FALSE(past->isEnabled());
    inRange->trigger();
    EXPECT_EQ(ran.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, (std::vector<uint32_t>{3, 7}));
}

TEST_F(MainFrame, MessagePaneShowsTheHighlightedCommandsPromptElseReady) {
    auto frame = Make();
    frame->show();
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("Ready"));
    frame->Commands().Action(cmd::kAutoLock)->showStatusText(frame.get());
    EXPECT_EQ(frame->MessagePaneText(),
              QStringLiteral("Open the Auto-Lock preference dialog. Only available if there is a "
                             "password currently set."));
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(frame.get(), &leave);
    EXPECT_EQ(frame->MessagePaneText(), QStringLiteral("Ready"));

    // Every command has a prompt of its own.
    for (const cmd::CCommandInfo& info : cmd::CommandTable()) {
        if (info.id != cmd::kSeparator) {
            EXPECT_FALSE(m_context.Strings().Get(static_cast<int>(info.id)).empty()) << info.id;
        }
    }

    frame->Commands().Run(cmd::kStatusBar);
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->Commands().Action(cmd::kStatusBar)->isChecked());
    frame->Commands().Run(cmd::kStatusBar);
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(MainFrame, TitleNamesTheUserUnlessStandaloneAndSizeHasAFloor) {
    EXPECT_EQ(Make({}, true)->windowTitle(), QStringLiteral("Tessarin Password Manager"));
    auto frame = Make({}, false, QStringLiteral("Ann"));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tessarin Password Manager - Ann"));
    EXPECT_EQ(frame->minimumSize(), QSize(500, 250));
}

TEST_F(MainFrame, PlacementRoundTripsAndShifts) {
    {
        auto frame = Make();
        EXPECT_FALSE(frame->RestorePlacement("0100 0120 0700 0520", false));
        frame->show();
        EXPECT_EQ(frame->geometry(), QRect(100, 120, 600, 400));
        EXPECT_EQ(frame->PlacementText(), "0100 0120 0700 0520");
        frame->close();
        EXPECT_EQ(m_preferences.ReadText(Pref::Winpos), "0100 0120 0700 0520");
    }
    {
        auto frame = Make();
        frame->RestorePlacement("0100 0120 0700 0520", true);
        EXPECT_EQ(frame->geometry(), QRect(130, 150, 600, 400));
    }
    {
        auto frame = Make();
        EXPECT_TRUE(frame->RestorePlacement("Maximized", false));
        EXPECT_EQ(frame->geometry(), QRect(20, 20, 680, 380));
        frame->showMaximized();
        EXPECT_EQ(frame->PlacementText(), "Maximized");
    }
}

TEST_F(MainFrame, ContextMenuHoldsItsItemsAndTheTypeAndCategoryPopups) {
    auto frame = Make();
    QMenu* menu = frame->Commands().BuildContextMenu(frame.get());
    QStringList titles;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            titles << action->text();
    EXPECT_EQ(titles, QStringList({"&Edit Item...", "Type", "Category", "Customize &Fields...",
                                   "Cut", "Copy", "Paste", "Duplicate..."}));
    EXPECT_EQ(menu->actions()[2]->menu()->actions()[0]->text(), QStringLiteral("Unfiled"));
    // The list finds its popups by their number, not by their text.
    EXPECT_EQ(CCommandTable::SubmenuOf(menu, cmd::Popup::Type), menu->actions()[2]->menu());
    EXPECT_EQ(CCommandTable::SubmenuOf(menu, cmd::Popup::Category), menu->actions()[3]->menu());
}

}  // namespace
}  // namespace tessarin
