// Start-up, login and locking of the whole program, with the dialogs answered by a script and the
// lock timer moved by the test.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QMouseEvent>

#include "app/desktop_app.h"
#include "app/locking.h"
#include "app/main_frame.h"
#include "gui/record_fixture.h"
#include "gui/shell_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/preference_store.h"
#include "support/temp_dir.h"
#include "ui/command_table.h"
#include "ui/cp1252_edits.h"
#include "ui/desktop_view.h"
#include "ui/detail_view_dialog.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

class Startup : public ::testing::Test {
protected:
    Startup() {
        fs::copy_file(TESSARIN_SAMPLE_DATA, m_program.Path() / kSampleDataFileName);
        unsetenv("TESSARIN_PLATFORM_DIR");
    }

    std::unique_ptr<CTessarinDesktopApp> Make(std::vector<std::string> args = {}) {
        CDesktopOptions options;
        options.args = std::move(args);
        options.programFolder = m_program.Path().string();
        options.documentsFolder = (m_home.Path() / "Documents").string();
        options.currentFolder = m_home.Path().string();
        options.prompts = &m_prompts;
        options.messages = &m_messages;
        options.store = &m_store;
        options.watchSession = false;
        options.makeTimer = [this] {
            auto timer = std::make_unique<test::CManualTimer>();
            m_timer = timer.get();
            return timer;
        };
        return std::make_unique<CTessarinDesktopApp>(std::move(options));
    }
    std::string Folder() const {
        return (m_home.Path() / "Documents/Marrowgate/Tessarin/_Standalone_").string();
    }
    // A database with a password and one record, by default the standalone user's.
    void MakeDatabase(const std::string& password, std::string folder = {}) {
        CCoreContext context;
        CDatabaseObj database(context);
        ASSERT_TRUE(Open(database, folder.empty() ? Folder() : folder).Ok());
        CNoticeList notices;
        database.AddFromColumns({"Web Logins", "Mail", "me", "pw"}, "Personal", 21, 4, {}, notices);
        ASSERT_TRUE(ChangePassword(database, CSecret(password)).Ok());
    }
    // Adds a record to the file as another process would.
    void AddFromOutside(const std::string& password, const std::string& value) {
        CCoreContext context;
        SetDatabaseKey(context, CSecret(password));
        CDatabaseObj database(context);
        ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
        CNoticeList notices;
        database.AddFromColumns({"Web Logins", value}, "Personal", 21, 4, {}, notices);
        ASSERT_TRUE(Save(database).Ok());
    }

    test::CTempDir m_home;
    test::CTempDir m_program;
    test::CScriptedPrompts m_prompts;
    test::CAnsweringMessages m_messages;
    CMemoryPreferenceStore m_store;
    test::CManualTimer* m_timer = nullptr;
};

TEST_F(Startup, FirstRunImportsTheSampleDataSelectsNothingAndShowsGettingStarted) {
    auto app = Make();
    int rowsWhenPagesShown = -1;
    m_prompts.onGettingStarted = [&] {
        rowsWhenPagesShown = app->View()->RowCount();
        EXPECT_TRUE(app->Frame()->isVisible());
    };
    ASSERT_TRUE(app->InitInstance());
    EXPECT_EQ(m_prompts.passwordDialogs, 0);
    EXPECT_EQ(m_prompts.gettingStarted, 1);
    EXPECT_EQ(rowsWhenPagesShown, 12);
    EXPECT_TRUE(app->View()->RowTexts().contains("Northwind Mail"));
    EXPECT_TRUE(app->View()->SelectedRecords().empty());
    EXPECT_FALSE(app->View()->List()->currentIndex().isValid());
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(m_store.ReadText("Preferences", "Current User"), "<Standalone>");
    app->Frame()->close();
    EXPECT_EQ(app->ExitInstance(), 0);

    // The second start is no first run.
    auto again = Make();
    ASSERT_TRUE(again->InitInstance());
    EXPECT_EQ(m_prompts.gettingStarted, 1);
    EXPECT_EQ(again->View()->RowCount(), 12);
}

TEST_F(Startup, MissingSampleDataIsReportedAndStartUpGoesOn) {
    fs::remove(m_program.Path() / kSampleDataFileName);
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kErrorReadingImportFile});
    EXPECT_EQ(app->View()->RowCount(), 0);
}

TEST_F(Startup, PasswordIsAskedUntilRightOrQuit) {
    MakeDatabase("Secret1");
    {
        m_prompts.passwords = {"secret1", "Secret1"};
        auto app = Make();
        ASSERT_TRUE(app->InitInstance());
        EXPECT_EQ(m_prompts.wrongPasswords, 1);
        EXPECT_FALSE(m_prompts.lastForUser);
        EXPECT_EQ(m_prompts.gettingStarted, 0);
        EXPECT_EQ(app->View()->RowTexts(), QStringList{"Mail"});
    }
    m_prompts.passwords = {"nope"};
    auto app = Make();
    EXPECT_FALSE(app->InitInstance());
    EXPECT_EQ(app->Frame(), nullptr);
}

TEST_F(Startup, RequirementsForceTheWelcomeDialog) {
    MakeDatabase("Secret1");
    std::vector<uint8_t> requirements(32, 0);
    requirements[0] = 10;
    requirements[1] = 0xFF;
    m_store.WriteBytes("Preferences", "Password requirements", requirements);
    m_prompts.passwords = {"Secret1"};
    {
        auto app = Make();
        EXPECT_FALSE(app->InitInstance());
        EXPECT_EQ(m_prompts.welcomeDialogs, 1);
    }
    EXPECT_TRUE(CheckPassword(DatabasePathIn(Folder()), CSecret("Secret1")));
    m_prompts.passwords = {"Secret1"};
    m_prompts.welcome = "Much longer 1";
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    EXPECT_TRUE(CheckPassword(DatabasePathIn(Folder()), CSecret("Much longer 1")));
    EXPECT_EQ(app->View()->RowTexts(), QStringList{"Mail"});
}

TEST_F(Startup, CommandLineFileIsImportedAfterTheQuestionSwitchesAreNot) {
    MakeDatabase("");
    const fs::path file = m_home.Path() / "more.vex";
    fs::copy_file(TESSARIN_SAMPLE_DATA, file);
    {
        m_messages.yes = false;
        auto app = Make({"more.vex"});
        ASSERT_TRUE(app->InitInstance());
        ASSERT_EQ(m_messages.shown.size(), 1u);
        EXPECT_EQ(m_messages.shown[0].id, str::kImportFileConfirm);
        // The whole path, and No unless the user says Yes.
        EXPECT_EQ(m_messages.shown[0].args, std::vector<std::string>{file.string()});
        EXPECT_EQ(m_messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
        EXPECT_EQ(app->View()->RowCount(), 1);
    }
    {
        m_messages.yes = true;
        m_messages.shown.clear();
        auto app = Make({file.string()});
        ASSERT_TRUE(app->InitInstance());
        EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kImportFileConfirm});
        EXPECT_EQ(app->View()->RowCount(), 13);
    }
    m_messages.shown.clear();
    m_store.WriteText(" - <Standalone>", "Winpos", "0100 0100 0600 0400");
    auto app = Make({"/rl"});
    ASSERT_TRUE(app->InitInstance());
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(app->Frame()->geometry(), QRect(130, 130, 500, 300));
}

// With the sync platform's libraries (the fake ones, answering from a file).
class PlatformStartup : public Startup {
protected:
    void Configure(const std::string& lines) {
        const fs::path config = m_home.Path() / "fake-platform.conf";
        test::WriteFileBytes(config, std::vector<unsigned char>(lines.begin(), lines.end()));
        setenv("TESSARIN_PLATFORM_DIR", TESSARIN_FAKE_PLATFORM_DIR "/full", 1);
        setenv("TESSARIN_FAKE_PLATFORM", config.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("TESSARIN_PLATFORM_DIR");
        unsetenv("TESSARIN_FAKE_PLATFORM");
    }
};

TEST_F(PlatformStartup, ManagerThatFailsToStartEndsTheStartWithItsCode) {
    Configure("init_result=42\n");
    auto app = Make();
    EXPECT_FALSE(app->InitInstance());
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].id, str::kErrorInitializingPlatform);
    EXPECT_EQ(m_messages.shown[0].args, std::vector<std::string>{"2a"});
    EXPECT_EQ(app->Frame(), nullptr);
}

TEST_F(PlatformStartup, SeveralUsersChooseInTheLoginAndTheMenusFollowThePlatform) {
    const std::string root = (m_home.Path() / "palm").string();
    Configure(
        "platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\n"
        "user=Bob|bob|0|Palm|2\nroot_dir2=" +
        root + "/%s\n");
    MakeDatabase("Ann's", root + "/ann");
    MakeDatabase("Bob's", root + "/bob");
    m_prompts.passwords = {"Ann's", "Bob's"};
    m_prompts.chooseUser = 1;
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    EXPECT_TRUE(m_prompts.lastForUser);
    EXPECT_EQ(m_prompts.lastUsers, QStringList({"Ann", "Bob"}));
    EXPECT_EQ(m_prompts.wrongPasswords, 1);  // Ann's password does not open Bob's database
    EXPECT_EQ(app->CurrentUser()->Name(), "Bob");
    EXPECT_EQ(m_store.ReadText("Preferences Palm", "Current User"), "Bob");
    EXPECT_EQ(app->View()->Folder(), root + "/bob");
    EXPECT_EQ(app->Frame()->windowTitle(), QStringLiteral("Tessarin Password Manager - Bob"));
    QStringList popups;
    for (QAction* action : app->Frame()->menuBar()->actions())
        popups << action->text();
    EXPECT_TRUE(popups.contains("&User"));
    EXPECT_FALSE(popups.contains("Sync"));  // Bob has not activated sync
}

class Locking : public Startup {
protected:
    void SetUp() override {
        MakeDatabase("Secret1");
        m_store.WriteNumber(" - <Standalone>", "Auto Lock", 1);
        m_store.WriteNumber(" - <Standalone>", "Sleep Minutes", 15);
        m_store.WriteNumber("Preferences", "Max Sleep Minutes", 10);
        m_prompts.passwords = {"Secret1"};
        m_app = Make();
        ASSERT_TRUE(m_app->InitInstance());
        m_app->Lock()->m_quit = [this](int code) { m_quitCode = code; };
    }
    CTessarinDesktopView& View() { return *m_app->View(); }

    std::unique_ptr<CTessarinDesktopApp> m_app;
    int m_quitCode = -1;
};

TEST_F(Locking, IdleTimeLocksAndTheRightPasswordReadsTheFileAgain) {
    ASSERT_TRUE(m_timer->Pending());  // the view's first showing
    EXPECT_EQ(m_timer->lastInterval, std::chrono::minutes(10));
    m_timer->Advance(std::chrono::minutes(9));
    EXPECT_FALSE(View().IsLocked());
    // Only activity re-arms the timer.
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(View().List()->viewport(), &move);
    m_timer->Advance(std::chrono::minutes(9));
    EXPECT_FALSE(View().IsLocked());

    AddFromOutside("Secret1", "From outside");
    m_prompts.passwords = {"wrong", "Secret1"};
    const int dialogs = m_prompts.passwordDialogs;
    m_prompts.onAskPassword = [this] {
        EXPECT_TRUE(View().IsLocked());
        EXPECT_TRUE(View().Database().m_saveSuspended);
        EXPECT_EQ(View().RowCount(), 0);
        // Locked means nothing readable: no record is in memory, the key is gone.
        EXPECT_EQ(View().Database().m_records.Size(), 0u);
        EXPECT_EQ(m_app->Context().DatabaseKey(), nullptr);
    };
    m_timer->Advance(std::chrono::minutes(1));
    test::SettleLock(*m_app->LockController());
    EXPECT_EQ(m_prompts.passwordDialogs, dialogs + 1);
    EXPECT_FALSE(m_prompts.lastUsersEnabled);
    EXPECT_EQ(m_prompts.wrongPasswords, 1);
    EXPECT_FALSE(View().IsLocked());
    EXPECT_FALSE(View().Database().m_saveSuspended);
    // The file is the truth: what was saved elsewhere before the lock is there.
    EXPECT_EQ(View().RowTexts(), (QStringList{"From outside", "Mail"}));
    // The unlock does not re-arm the timer; the next activity does.
    EXPECT_FALSE(m_timer->Pending());
}

TEST_F(Locking, ChangesWhileLockedAreReadAtTheUnlockAndQuitEndsWithOne) {
    m_prompts.passwords = {"Secret1"};
    // A sync changes the file while the program is locked, and says so.
    m_prompts.onAskPassword = [this] {
        AddFromOutside("Secret1", "From outside");
        View().OnNotice({kActionReloadAll, 0, 0});
        EXPECT_EQ(View().RowCount(), 0);
    };
    m_app->Lock()->OnAutoLockTimer();
    test::SettleLock(*m_app->LockController());
    EXPECT_FALSE(View().IsLocked());
    EXPECT_TRUE(View().RowTexts().contains("From outside"));
    EXPECT_EQ(m_quitCode, -1);

    m_prompts.onAskPassword = nullptr;
    m_prompts.passwords = {"wrong"};
    m_app->Lock()->OnAutoLockTimer();
    test::SettleLock(*m_app->LockController());
    EXPECT_EQ(m_quitCode, 1);
}

TEST_F(Locking, LockDoesNotSaveOverAPasswordChangedElsewhere) {
    {
        CCoreContext context;
        SetDatabaseKey(context, CSecret("Secret1"));
        CDatabaseObj database(context);
        ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
        CNoticeList notices;
        database.AddFromColumns({"Web Logins", "Added elsewhere"}, "Personal", 21, 4, {}, notices);
        ASSERT_TRUE(ChangePassword(database, CSecret("Other2")).Ok());
    }
    m_prompts.passwords = {"Secret1", "Other2"};
    m_timer->Advance(std::chrono::minutes(10));
    test::SettleLock(*m_app->LockController());
    EXPECT_EQ(m_prompts.wrongPasswords, 1);
    EXPECT_FALSE(View().IsLocked());
    EXPECT_TRUE(CheckPassword(DatabasePathIn(Folder()), CSecret("Other2")));
    // Sorted by type, category, then field 1.
    EXPECT_EQ(View().RowTexts(), QStringList({"Added elsewhere", "Mail"}));
}

TEST_F(Locking, NoPasswordNoLock) {
    ASSERT_TRUE(ChangePassword(View().Database(), CSecret()).Ok());
    m_app->Lock()->RestartAutoLockTimer();
    EXPECT_FALSE(m_timer->Pending());
    EXPECT_FALSE(m_app->Lock()->IsPasswordSet());
}

TEST_F(Locking, PasswordChangedElsewhereAsksAgainAndReadsWithTheNewKey) {
    {
        CCoreContext context;
        SetDatabaseKey(context, CSecret("Secret1"));
        CDatabaseObj database(context);
        ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
        ASSERT_TRUE(ChangePassword(database, CSecret("Other2")).Ok());
    }
    m_prompts.passwords = {"Secret1", "Other2"};
    View().OnNotice({kActionChanged, 0, 1});
    QCoreApplication::processEvents();
    test::SettleLock(*m_app->LockController());
    EXPECT_TRUE(m_prompts.lastForUser);
    EXPECT_FALSE(m_prompts.lastUsersEnabled);
    EXPECT_EQ(m_prompts.wrongPasswords, 1);
    EXPECT_EQ(View().RowTexts(), QStringList{"Mail"});
    EXPECT_EQ(m_quitCode, -1);
    // What the program saves now keeps the new password.
    ASSERT_TRUE(View().SaveNow());
    EXPECT_TRUE(CheckPassword(DatabasePathIn(Folder()), CSecret("Other2")));
}

// However a command is reached (the accessibility interface presses what it finds), none runs while
// locked, and one whose dialog is open does not open a second.
TEST_F(Locking, NoCommandRunsWhileLockedAndAnOpenDialogIsNotOpenedTwice) {
    CCommandTable& commands = m_app->Frame()->Commands();
    int dialogs = 0;
    bool again = true;
    test::OnNextDialog<CDetailViewDialog>([&](CDetailViewDialog& dialog) {
        ++dialogs;
        again = commands.Run(cmd::kNewItem);
        dialog.reject();
    });
    ASSERT_TRUE(commands.Run(cmd::kNewItem));
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(again);

    std::vector<uint32_t> ran;
    test::LockWhile(*m_app->LockController(), m_prompts, "Secret1", [&] {
        for (uint32_t id : {cmd::kNewItem, cmd::kEditTypes, cmd::kPrintPreview, cmd::kExportCsv})
            if (commands.Run(id))
                ran.push_back(id);
    });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(dialogs, 1);
    EXPECT_FALSE(View().IsLocked());
}

TEST_F(Locking, TheLockStoresAnOpenRecordDialogsEditsAsIfOkWasPressed) {
    View().List()->selectionModel()->select(
        View().List()->model()->index(0, 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_prompts.passwords = {"Secret1"};
    bool locked = false;
    bool dialogGone = false;
    test::OnNextDialog<CDetailViewDialog>([&](CDetailViewDialog& dialog) {
        dialog.FieldEdit(1)->setText("typed before the lock");
        m_prompts.onAskPassword = [&] {
            locked = View().IsLocked();
            // Nothing that shows a record is left on the screen.
            dialogGone = true;
            for (QWidget* window : QApplication::topLevelWidgets())
                if (window->isVisible() && window != m_app->Frame())
                    dialogGone = false;
        };
        m_app->Lock()->OnAutoLockTimer();
    });
    ASSERT_TRUE(m_app->Frame()->Commands().Run(cmd::kEditItem));
    test::SettleLock(*m_app->LockController());
    EXPECT_TRUE(locked);
    EXPECT_TRUE(dialogGone);
    EXPECT_FALSE(View().IsLocked());
    CCoreContext context;
    SetDatabaseKey(context, CSecret("Secret1"));
    CDatabaseObj database(context);
    ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(database.RecordAt(0)->GetValue(1), "typed before the lock");
}

}  // namespace
}  // namespace tessarin
