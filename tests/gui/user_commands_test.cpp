// Users and sync with the sync platform's libraries (the fake ones, answering from a file): the
// "&User" menu, switching users, "Sync", the automatic sync and a password changed in a sync.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "app/locking.h"
#include "gui/file_commands_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

// Answers as a script says, and lets the test act when a message shows.
class CHookedMessages : public test::CAnsweringMessages {
public:
    MessageAnswer Show(const CMessage& message) override {
        test::CAnsweringMessages::Show(message);
        if (onShow)
            return onShow(message);
        return MessageAnswer::Ok;
    }
    std::function<MessageAnswer(const CMessage&)> onShow;
};

class UserCommands : public test::ProgramFixture {
protected:
    void TearDown() override {
        unsetenv("TESSARIN_PLATFORM_DIR");
        unsetenv("TESSARIN_FAKE_PLATFORM");
    }
    std::string Root() const { return (m_home.Path() / "palm").string(); }
    void Configure(const std::string& extra) {
        const std::string lines =
            "platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\n"
            "user=Bob|bob|0|Palm|2\nroot_dir2=" +
            Root() + "/%s\nactivated=1\n" + extra;
        const fs::path config = m_home.Path() / "fake-platform.conf";
        test::WriteFileBytes(config, std::vector<unsigned char>(lines.begin(), lines.end()));
        setenv("TESSARIN_PLATFORM_DIR", TESSARIN_FAKE_PLATFORM_DIR "/full", 1);
        setenv("TESSARIN_FAKE_PLATFORM", config.c_str(), 1);
    }
    // A database in `folder` with one record, and a password unless empty.
    static void MakeDatabase(const std::string& folder, const std::string& password,
                             const std::string& record) {
        CCoreContext context;
        CDatabaseObj database(context);
        ASSERT_TRUE(Open(database, folder).Ok());
        CNoticeList notices;
        database.AddFromColumns({"Web Logins", record}, "Personal", 21, 4, {}, notices);
        ASSERT_TRUE(Save(database).Ok());
        if (!password.empty()) {
            ASSERT_TRUE(ChangePassword(database, CSecret(password)).Ok());
        }
    }
    void Start() {
        m_app = Make();
        m_app->Context().SetMessages(&m_hooked);
        ASSERT_TRUE(m_app->InitInstance());
        m_app->Lock()->m_quit = [this](int code) { m_quitCode = code; };
        QCoreApplication::processEvents();  // the automatic sync at the first showing
    }
    QMenu& UserMenu() {
        QMenu* menu = m_app->Frame()->Commands().Popup(cmd::Popup::User);
        Q_EMIT menu->aboutToShow();
        return *menu;
    }

    CHookedMessages m_hooked;
    std::unique_ptr<CTessarinDesktopApp> m_app;
    int m_quitCode = -1;
};

TEST_F(UserCommands, TheUserMenuSwitchesToAnotherUsersDatabase) {
    Configure("");
    MakeDatabase(Root() + "/ann", "", "Ann's mail");
    MakeDatabase(Root() + "/bob", "Bob pw", "Bob's bank");
    Start();
    ASSERT_EQ(m_app->CurrentUser()->Name(), "Ann");
    EXPECT_EQ(m_app->View()->RowTexts(), QStringList{"Ann's mail"});

    QMenu& menu = UserMenu();
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_EQ(menu.actions()[0]->text(), "Ann");
    EXPECT_TRUE(menu.actions()[0]->isChecked());
    EXPECT_FALSE(menu.actions()[1]->isChecked());

    // A wrong password keeps Ann; the right one opens Bob's records.
    m_prompts.passwords = {"not it"};
    menu.actions()[1]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_app->CurrentUser()->Name(), "Ann");
    EXPECT_EQ(m_app->View()->RowTexts(), QStringList{"Ann's mail"});

    m_prompts.passwords = {"Bob pw"};
    UserMenu().actions()[1]->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_prompts.lastUsers, QStringList({"Ann", "Bob"}));
    EXPECT_FALSE(m_prompts.lastUsersEnabled);
    EXPECT_EQ(m_app->CurrentUser()->Name(), "Bob");
    EXPECT_EQ(m_app->View()->RowTexts(), QStringList{"Bob's bank"});
    EXPECT_EQ(m_app->View()->Folder(), Root() + "/bob");
    EXPECT_EQ(m_app->Frame()->windowTitle(), "Tessarin Password Manager - Bob");
    EXPECT_EQ(m_store.ReadText("Preferences Palm", "Current User"), "Bob");
    EXPECT_TRUE(UserMenu().actions()[1]->isChecked());
    EXPECT_TRUE(m_hooked.shown.empty());

    // An import now goes into Bob's database.
    m_files.files = {std::string(TESSARIN_TEST_DATA) + "/imports/yaps.txt"};
    m_app->Frame()->Commands().Run(cmd::kImportYaps);
    CCoreContext context;
    SetDatabaseKey(context, CSecret("Bob pw"));
    CDatabaseObj bob(context);
    ASSERT_TRUE(Load(bob, DatabasePathIn(Root() + "/bob")).Ok());
    EXPECT_EQ(bob.CountLive(0), 3u);
}

TEST_F(UserCommands, OnlyTheFirst31UsersCanBeChosen) {
    std::string users;
    for (int i = 0; i < 33; ++i)
        users += "user=User " + std::to_string(i) + "|u" + std::to_string(i) + "|0|Palm|" +
                 std::to_string(i + 10) + "\n";
    Configure(users);
    Start();
    const QList<QAction*> items = UserMenu().actions();
    ASSERT_EQ(items.size(), 35);
    EXPECT_TRUE(items[30]->isEnabled());
    EXPECT_FALSE(items[31]->isEnabled());
}

TEST_F(UserCommands, SyncNeedsTheDeviceReloadsAndAsksForAPasswordChangedOnTheHandheld) {
    const std::string synced = (m_home.Path() / "synced").string();
    MakeDatabase(Root() + "/ann", "", "before sync");
    MakeDatabase(synced, "", "after sync");
    Configure("can_sync=0\n");
    Start();
    CUserCommands& users = m_app->Commands()->Users();
    EXPECT_FALSE(m_app->Frame()->Commands().IsEnabled(cmd::kSync));
    users.SyncCommand();
    EXPECT_EQ(m_hooked.Ids(), std::vector<int>{str::kDeviceNotConnected});

    // A sync that brings records along: the list shows them.
    Configure("can_sync=1\nsync_result=1\nsync_copy=" + DatabasePathIn(synced) + "|" +
              DatabasePathIn(Root() + "/ann") + "\n");
    m_hooked.shown.clear();
    EXPECT_TRUE(m_app->Frame()->Commands().Run(cmd::kSync));
    EXPECT_TRUE(m_hooked.shown.empty());
    EXPECT_EQ(m_app->View()->RowTexts(), QStringList{"after sync"});

    // The handheld set a password: the login asks for it, then the records are read.
    MakeDatabase(synced + "2", "handheld pw", "with password");
    Configure("can_sync=1\nsync_result=1\nsync_copy=" + DatabasePathIn(synced + "2") + "|" +
              DatabasePathIn(Root() + "/ann") + "\n");
    m_prompts.passwords = {"handheld pw"};
    users.SyncCommand();
    test::SettleLock(*m_app->LockController());
    EXPECT_EQ(m_quitCode, -1);
    EXPECT_EQ(m_app->View()->RowTexts(), QStringList{"with password"});
    EXPECT_FALSE(m_app->View()->IsLocked());
}

TEST_F(UserCommands, TheAutomaticSyncWaitsForTheDeviceOrIsSkipped) {
    MakeDatabase(Root() + "/ann", "", "ann");
    const std::string config = (m_home.Path() / "fake-platform.conf").string();
    Configure("auto_sync=1\ncan_sync=0\nsync_result=0\n");
    // The first question: the user connects the device and presses OK.
    int asked = 0;
    m_hooked.onShow = [&](const CMessage& message) {
        if (message.id == str::kConnectHandheldToSync && ++asked == 1)
            Configure("auto_sync=1\ncan_sync=1\nsync_result=0\nlog=" + config + ".log\n");
        return MessageAnswer::Ok;
    };
    Start();
    EXPECT_EQ(asked, 1);
    CFileBytes log;
    ASSERT_EQ(ReadWholeFile(config + ".log", log), 0);
    EXPECT_NE(log.View().find("PlatformSync"), std::string_view::npos);

    // At the end the device is not there: Cancel skips the sync, and the program ends.
    Configure("auto_sync=1\ncan_sync=0\n");
    m_hooked.onShow = [&](const CMessage& message) {
        return message.id == str::kConnectHandheldToSync ? MessageAnswer::Cancel
                                                         : MessageAnswer::Ok;
    };
    m_hooked.shown.clear();
    m_app->Frame()->close();
    EXPECT_EQ(m_app->ExitInstance(), 0);
    EXPECT_EQ(m_hooked.Ids(), std::vector<int>{str::kConnectHandheldToSync});
}

}  // namespace
}  // namespace tessarin
