#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/database_session.h"
#include "store/preferences.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "sync/platform_loader.h"
#include "sync/startup.h"
#include "sync/sync_commands.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

const std::string kFakes = TESSARIN_FAKE_PLATFORM_DIR;

// A fake platform's answers, written to the file the fake libraries read at every call.
class FakePlatform : public ::testing::Test {
protected:
    FakePlatform() {
        config = (dir / "platform.conf").string();
        log = (dir / "calls.log").string();
        ::setenv("TESSARIN_FAKE_PLATFORM", config.c_str(), 1);
        Configure({});
    }
    ~FakePlatform() override { ::unsetenv("TESSARIN_FAKE_PLATFORM"); }

    void Configure(const std::vector<std::string>& lines) {
        std::ofstream out(config, std::ios::trunc);
        out << "log=" << log << "\n";
        for (const std::string& line : lines)
            out << line << "\n";
    }
    std::vector<std::string> Calls() {
        std::vector<std::string> calls;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);)
            calls.push_back(line);
        return calls;
    }
    std::string Documents() { return (dir / "Documents").string(); }

    test::CTempDir dir;
    std::string config;
    std::string log;
    test::CTestContext context;
    test::CRecordingMessages messages;
    CMemoryPreferenceStore store;
};

TEST_F(FakePlatform, WithoutAManagerLibraryTheStandaloneManagerAnswers) {
    CPlatformLibraries libraries;
    EXPECT_EQ(libraries.Load((dir / "nothing here").string(), Documents()), 0);
    EXPECT_FALSE(libraries.HasManagerLibrary());
    IPlatformManager& manager = libraries.Manager();
    EXPECT_EQ(manager.GetPlatform(), 3);
    EXPECT_EQ(manager.GetPlatformName(), "");
    CUserDirectory directory;
    directory.Build(manager, "", Documents());
    ASSERT_EQ(directory.Users().size(), 1u);
    CPlatformUser& user = *directory.Users()[0];
    EXPECT_TRUE(user.standalone);
    EXPECT_EQ(user.Name(), "<Standalone>");
    EXPECT_EQ(directory.GetUserDataFolder(user, manager, store),
              Documents() + "/Marrowgate/Tessarin/_Standalone_");
    EXPECT_EQ(directory.GetUserPlatformFolder(user, manager), "");
    EXPECT_FALSE(libraries.Engine().CanUserSyncNow(user.record));
}

TEST_F(FakePlatform, LibrariesThatOthersCouldChangeAreNotLoaded) {
    // Copies of the full pair in folders of their own, each made unsafe in one way.
    struct Case {
        const char* what;
        fs::perms folder, manager, engine;
        bool loads;
    } cases[] = {
        {"safe", fs::perms(0755), fs::perms(0755), fs::perms(0755), true},
        {"folder anyone may write", fs::perms(0777), fs::perms(0755), fs::perms(0755), false},
        {"folder the group may write", fs::perms(0775), fs::perms(0755), fs::perms(0755), false},
        {"manager anyone may write", fs::perms(0755), fs::perms(0757), fs::perms(0755), false},
        {"engine the group may write", fs::perms(0755), fs::perms(0755), fs::perms(0775), false},
    };
    for (const Case& c : cases) {
        const fs::path folder = dir / c.what;
        fs::create_directory(folder);
        for (const char* name : {kManagerLibrary, kEngineLibrary})
            fs::copy_file(fs::path(kFakes) / "full" / name, folder / name);
        fs::permissions(folder / kManagerLibrary, c.manager, fs::perm_options::replace);
        fs::permissions(folder / kEngineLibrary, c.engine, fs::perm_options::replace);
        fs::permissions(folder, c.folder, fs::perm_options::replace);
        fs::remove(log);
        CPlatformLibraries libraries;
        EXPECT_EQ(libraries.Load(folder.string(), Documents()), 0) << c.what;
        EXPECT_EQ(libraries.HasManagerLibrary(), c.loads) << c.what;
        EXPECT_EQ(libraries.RefusedLibrary().empty(), c.loads) << c.what;
        if (!c.loads) {
            // Nothing of it ran; the standalone user instead.
            EXPECT_TRUE(Calls().empty()) << c.what;
            EXPECT_EQ(libraries.Manager().GetPlatform(), kPlatformStandalone) << c.what;
            CUserDirectory directory;
            directory.Build(libraries.Manager(), "", Documents());
            ASSERT_EQ(directory.Users().size(), 1u);
            EXPECT_EQ(
                directory.GetUserDataFolder(*directory.Users()[0], libraries.Manager(), store),
                Documents() + "/Marrowgate/Tessarin/_Standalone_");
        }
        fs::permissions(folder, fs::perms(0755), fs::perm_options::replace);
    }
}

TEST_F(FakePlatform, LibrariesAreInitialisedAndReleasedInOrder) {
    {
        CPlatformLibraries libraries;
        ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
        EXPECT_TRUE(libraries.HasEngineLibrary());
    }
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"manager InitializePlatform 1 Tessarin",
                                        "engine InitializePlatform 1 Tessarin",
                                        "engine ReleasePlatform", "manager ReleasePlatform"}));

    // A manager that fails to start: its code, and no engine.
    fs::remove(log);
    Configure({"init_result=7"});
    {
        CPlatformLibraries libraries;
        EXPECT_EQ(libraries.Load(kFakes + "/full", Documents()), 7);
        EXPECT_FALSE(libraries.HasEngineLibrary());
    }
    EXPECT_EQ(Calls(), (std::vector<std::string>{"manager InitializePlatform 1 Tessarin",
                                                 "manager ReleasePlatform"}));
    Configure({"engine_init_result=9"});
    CPlatformLibraries engineFails;
    EXPECT_EQ(engineFails.Load(kFakes + "/full", Documents()), 9);

    // A library that is there but cannot be loaded.
    fs::create_directory(dir / "broken");
    test::WriteFileBytes(dir / "broken" / kManagerLibrary, {'n', 'o', 't'});
    CPlatformLibraries broken;
    EXPECT_EQ(broken.Load((dir / "broken").string(), Documents()), ELIBBAD);
}

TEST_F(FakePlatform, AMissingFunctionGivesItsFixedAnswer) {
    Configure({"platform_kind=0", "platform_name=Palm", "delete_method=1", "wants_defaults=0",
               "record_numbers=500", "user=Ann|ann|0|Palm|1", "active=Ann", "root_dir=/platform/%s",
               "root_dir2=/data/%s"});
    CPlatformUserRecord ann;
    ann.SetName("Ann");
    struct Case {
        std::string variant;
        int platform;
        std::string name;
        bool hardDelete, defaults;
        uint32_t number;
        bool enumerates, active;
        std::string root, root2;
    };
    const Case cases[] = {
        {"full", 0, "Palm", true, false, 500, true, true, "/platform/ann", "/data/ann"},
        {"no-GetPlatform", -1, "Palm", true, false, 500, true, true, "/platform/ann", "/data/ann"},
        {"no-GetPlatformName", 0, "", true, false, 500, true, true, "/platform/ann", "/data/ann"},
        {"no-GetDeleteRecordMethod", 0, "Palm", false, false, 500, true, true, "/platform/ann",
         "/data/ann"},
        {"no-PlatformWantsDefaults", 0, "Palm", true, true, 500, true, true, "/platform/ann",
         "/data/ann"},
        {"no-GenerateRecordNumber", 0, "Palm", true, false, 0, true, true, "/platform/ann",
         "/data/ann"},
        {"no-EnumeratePlatformUsers", 0, "Palm", true, false, 500, false, true, "/platform/ann",
         "/data/ann"},
        {"no-IsPlatformUserActive", 0, "Palm", true, false, 500, true, false, "/platform/ann",
         "/data/ann"},
        {"no-GetPlatformRootDir", 0, "Palm", true, false, 500, true, true, "", "/data/ann"},
        {"no-GetPlatformRootDir2", 0, "Palm", true, false, 500, true, true, "/platform/ann", ""},
        {"bare", -1, "", false, true, 0, false, false, "", ""},
    };
    for (const Case& c : cases) {
        CPlatformLibraries libraries;
        ASSERT_EQ(libraries.Load(kFakes + "/" + c.variant, Documents()), 0) << c.variant;
        IPlatformManager& m = libraries.Manager();
        EXPECT_EQ(m.GetPlatform(), c.platform) << c.variant;
        EXPECT_EQ(m.GetPlatformName(), c.name) << c.variant;
        EXPECT_EQ(m.GetDeleteRecordMethod(), c.hardDelete) << c.variant;
        EXPECT_EQ(m.PlatformWantsDefaults(), c.defaults) << c.variant;
        EXPECT_EQ(m.GenerateRecordNumber(), c.number) << c.variant;
        CPlatformUserRecord record;
        EXPECT_EQ(m.EnumeratePlatformUsers(0, record) == EnumerateResult::User, c.enumerates)
            << c.variant;
        EXPECT_EQ(m.IsPlatformUserActive("Ann", "ann", 1), c.active) << c.variant;
        EXPECT_EQ(m.GetPlatformRootDir(ann, "ann"), c.root) << c.variant;
        EXPECT_EQ(m.GetPlatformRootDir2(ann, "ann"), c.root2) << c.variant;
    }
    CPlatformLibraries bare;
    ASSERT_EQ(bare.Load(kFakes + "/bare", Documents()), 0);
    EXPECT_FALSE(bare.Engine().HasUserActivatedSync(ann));
    EXPECT_FALSE(bare.Engine().PlatformSync(nullptr, ann));
}

TEST_F(FakePlatform, TheUserDirectoryFollowsTheManager) {
    const std::string longName(230, 'L');
    Configure({"platform_kind=0", "platform_name=Palm", "user=Ann|ann|0|Palm|1", "skip=1",
               "user=" + longName + "|long|0|Palm|2", "user=Bob|B\\o/b:*?\"<>|2|0|Palm|3"});
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    CUserDirectory directory;
    directory.Build(libraries.Manager(), "Palm", Documents());
    ASSERT_EQ(directory.Users().size(), 3u);  // index 1 skipped; no standalone user on kind 0
    EXPECT_EQ(directory.Users()[1]->Name(), std::string(200, 'L'));  // no zero: ends at its field
    EXPECT_EQ(directory.Users()[0]->registryKey, "Palm - ann");

    // A standalone folder in the documents folder brings the standalone user along.
    fs::create_directories(Documents() + "/Marrowgate/Tessarin/_Standalone_");
    directory.Build(libraries.Manager(), "Palm", Documents());
    ASSERT_EQ(directory.Users().size(), 4u);
    EXPECT_TRUE(directory.Users()[3]->standalone);

    EXPECT_EQ(directory.FindUserByName("ANN"), directory.Users()[0].get());
    EXPECT_EQ(directory.FindUserByName("nobody"), directory.Users()[0].get());
    EXPECT_EQ(CleanFolderName("B\\o/b:*?\"<>|x \t "), "B_o_b_______x");
}

TEST_F(FakePlatform, TheUserMenuChoosesAmongTheFirstThirtyOneUsers) {
    std::vector<std::string> lines = {"platform_kind=0"};
    for (int i = 0; i < 33; ++i)
        lines.push_back("user=U" + std::to_string(i) + "|u" + std::to_string(i) + "|0|P|" +
                        std::to_string(i));
    Configure(lines);
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    CUserDirectory directory;
    directory.Build(libraries.Manager(), "", Documents());
    const auto items = directory.FillUserMenu(directory.Users()[2].get());
    ASSERT_EQ(items.size(), 33u);
    EXPECT_EQ(items[0].command, 40000u);
    EXPECT_TRUE(items[2].checked);
    EXPECT_FALSE(items[0].checked);
    EXPECT_EQ(directory.FindUserByCommand(40030), directory.Users()[30].get());
    EXPECT_EQ(directory.FindUserByCommand(40031), nullptr);
    EXPECT_EQ(directory.FindUserByCommand(39999), nullptr);
    CPlatformUser stranger;
    EXPECT_TRUE(directory.FillUserMenu(&stranger)[0].checked);
}

class CScriptedPrompt : public IMissingFolderPrompt {
public:
    Choice Ask(const std::string& folder) override {
        asked.push_back(folder);
        const Choice next = choices.empty() ? Choice::Cancel : choices.front();
        if (!choices.empty())
            choices.erase(choices.begin());
        return next;
    }
    std::optional<std::string> PickFolder() override {
        if (picks.empty())
            return std::nullopt;
        const std::string next = picks.front();
        picks.erase(picks.begin());
        return next;
    }
    std::vector<Choice> choices;
    std::vector<std::string> picks;
    std::vector<std::string> asked;
};

TEST_F(FakePlatform, StartUpChoosesTheUserAndFindsTheFolder) {
    const std::string data = (dir / "data").string();
    Configure({"platform_kind=0", "platform_name=Palm", "user=Ann|ann|0|Palm|1",
               "user=Bob|bob|0|Palm|2", "root_dir=" + (dir / "platform").string() + "/%s",
               "root_dir2=" + data + "/%s", "delete_method=1"});
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    CPreferences preferences(store);
    CUserDirectory directory;
    CScriptedPrompt prompt;

    // "Current User" differs in case; Bob's database waits in his platform folder.
    preferences.SetPlatformName("Palm");
    preferences.WriteText(Pref::CurrentUser, "BOB");
    {
        CDatabaseObj db(context);
        ASSERT_TRUE(Open(db, (dir / "platform/bob").string()).Ok());
    }
    CStartupChoice choice = ChooseUserAndDatabase(context, libraries.Platform(), directory,
                                                  preferences, store, prompt, Documents());
    ASSERT_EQ(choice.result, CStartupChoice::Ready);
    EXPECT_EQ(choice.user->Name(), "Bob");
    EXPECT_EQ(choice.dataFolder, data + "/bob");
    EXPECT_TRUE(fs::exists(data + "/bob/TessarinDatabase.tdb"));  // moved from the platform folder
    EXPECT_FALSE(fs::exists(dir / "platform/bob"));
    EXPECT_FALSE(choice.firstRun);
    EXPECT_TRUE(context.m_hardDelete);
    EXPECT_EQ(libraries.Platform().CurrentUser().Name(), "Bob");
    EXPECT_EQ(preferences.ReadText(Pref::CurrentUser), "Bob");
    EXPECT_EQ(preferences.UserName(), "Bob");
    EXPECT_EQ(store.ReadText("Preferences Palm", "Current User"), "Bob");

    // An active user comes first, whatever "Current User" says.
    Configure({"platform_kind=0", "platform_name=Palm", "user=Ann|ann|0|Palm|1",
               "user=Bob|bob|0|Palm|2", "active=Ann", "root_dir2=" + data + "/%s"});
    choice = ChooseUserAndDatabase(context, libraries.Platform(), directory, preferences, store,
                                   prompt, Documents());
    EXPECT_EQ(choice.user->Name(), "Ann");
    EXPECT_TRUE(choice.firstRun);

    // A registered folder that is missing: Retry, then a folder that has a database (171, asked
    // again), then a new folder, which becomes the user's.
    store.WriteText("Palm - ann", "User Directory", (dir / "gone").string());
    prompt.choices = {IMissingFolderPrompt::Choice::Retry, IMissingFolderPrompt::Choice::Change,
                      IMissingFolderPrompt::Choice::Change};
    prompt.picks = {data + "/bob", (dir / "fresh").string()};
    context.SetMessages(&messages);
    choice = ChooseUserAndDatabase(context, libraries.Platform(), directory, preferences, store,
                                   prompt, Documents());
    ASSERT_EQ(choice.result, CStartupChoice::Ready);
    EXPECT_EQ(prompt.asked.size(), 3u);
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kDatabaseAlreadyExists});
    EXPECT_EQ(choice.dataFolder, (dir / "fresh").string());
    EXPECT_EQ(store.ReadText("Palm - ann", "User Directory"), (dir / "fresh").string());

    // Cancel ends start-up.
    store.WriteText("Palm - ann", "User Directory", (dir / "gone again").string());
    prompt.choices = {IMissingFolderPrompt::Choice::Cancel};
    EXPECT_EQ(ChooseUserAndDatabase(context, libraries.Platform(), directory, preferences, store,
                                    prompt, Documents())
                  .result,
              CStartupChoice::Cancelled);

    // A user asked for by name, and one nobody has.
    const std::string bob = "bob";
    EXPECT_EQ(ChooseUserAndDatabase(context, libraries.Platform(), directory, preferences, store,
                                    prompt, Documents(), &bob)
                  .user->Name(),
              "Bob");
    const std::string nobody = "Carol";
    EXPECT_EQ(ChooseUserAndDatabase(context, libraries.Platform(), directory, preferences, store,
                                    prompt, Documents(), &nobody)
                  .result,
              CStartupChoice::NoUser);
}

TEST_F(FakePlatform, SyncCommandsFollowTheEngine) {
    const std::string folder = (dir / "user").string();
    Configure({"platform_kind=0", "user=Ann|ann|0|Palm|1"});
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    CUserDirectory directory;
    directory.Build(libraries.Manager(), "", Documents());
    const CPlatformUser* ann = directory.Users()[0].get();
    context.SetMessages(&messages);
    CDatabaseSession session(context);
    ASSERT_TRUE(session.Open(folder).Ok());
    CDatabaseObj& db = session.Database();
    ISyncEngine& engine = libraries.Engine();

    EXPECT_EQ(RunSync(context, engine, nullptr, session).outcome, SyncOutcome::Nothing);
    EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::NotConnected);
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kDeviceNotConnected});

    Configure({"platform_kind=0", "can_sync=1", "sync_result=0", "log=" + log});
    db.TypeAt(0)->SetName("kept in memory");
    EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::NotRun);
    EXPECT_EQ(db.TypeAt(0)->GetName(), "kept in memory");  // untouched when nothing synced

    // A sync that rewrote the file: read again.
    Configure({"platform_kind=0", "can_sync=1", "sync_result=1"});
    EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::Reloaded);
    EXPECT_EQ(db.TypeAt(0)->GetName(), "Bank Accts");

    // A change whose save failed is saved before the sync, which would read the file over it; while
    // it still cannot be saved, nothing syncs.
    {
        test::CTakenLock taken;
        context.SetLock(&taken);
        CDatabaseSession::CChange change(session);
        db.TypeAt(0)->SetName("not saved yet");
        change.ItemChanged(kKindType, *db.TypeAt(0));
        EXPECT_FALSE(change.Commit().Ok());
        ASSERT_TRUE(session.HasUnsaved());
        Configure({"platform_kind=0", "can_sync=1", "sync_result=1", "log=" + log});
        const size_t calls = Calls().size();
        EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::NotSaved);
        EXPECT_EQ(db.TypeAt(0)->GetName(), "not saved yet");
        for (size_t i = calls; i < Calls().size(); ++i)
            EXPECT_EQ(Calls()[i].find("PlatformSync"), std::string::npos) << Calls()[i];
        context.SetLock(nullptr);
    }
    EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::Reloaded);
    EXPECT_FALSE(session.HasUnsaved());
    EXPECT_NE(db.m_types.FindByName("not saved yet"), nullptr);  // saved, then read again

    // A sync that brought a new password along: it must be asked for.
    {
        CDatabaseObj other(context);
        ASSERT_TRUE(Load(other, db.m_path).Ok());
        SetPassword(context, other, CSecret("from the handheld"));
        ASSERT_TRUE(Save(other).Ok());
        SetDatabaseKey(context, CSecret());
    }
    EXPECT_EQ(RunSync(context, engine, ann, session).outcome, SyncOutcome::NeedPassword);

    // The automatic sync asks until the device is there, or skips on Cancel.
    messages.shown.clear();
    Configure({"platform_kind=0", "can_sync=after 2", "sync_result=0"});
    test::CRecordingMessages okTwice;  // answers OK
    context.SetMessages(&okTwice);
    EXPECT_EQ(RunAutoSync(context, engine, ann, session).outcome, SyncOutcome::NotRun);
    EXPECT_EQ(okTwice.Ids(),
              (std::vector<int>{str::kConnectHandheldToSync, str::kConnectHandheldToSync}));
    Configure({"platform_kind=0", "can_sync=0"});
    context.SetMessages(nullptr);  // the silent user cancels
    EXPECT_EQ(RunAutoSync(context, engine, ann, session).outcome, SyncOutcome::NotConnected);

    Configure({"platform_kind=0", "activated=1", "can_settings=1", "log=" + log});
    EXPECT_EQ(StartMenus(libraries.Manager(), engine, ann).syncMenu, true);
    EXPECT_EQ(StartMenus(libraries.Manager(), engine, ann).userMenu, true);
    ShowSyncSettings(engine, ann);
    EXPECT_EQ(Calls().back(), "engine DisplaySyncSettings Ann");
    CPlatformLibraries standalone;
    ASSERT_EQ(standalone.Load((dir / "none").string(), Documents()), 0);
    EXPECT_FALSE(StartMenus(standalone.Manager(), standalone.Engine(), ann).userMenu);
    EXPECT_FALSE(StartMenus(standalone.Manager(), standalone.Engine(), ann).syncMenu);
}

TEST_F(FakePlatform, NoticesReachTheListenerOnlyForAnActiveUser) {
    Configure({"platform_kind=0", "user=Ann|ann|0|Palm|1", "user=Bob|bob|0|Palm|2", "active=Ann"});
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    context.SetPlatform(&libraries.Platform());
    test::CRecordingPoster poster;
    context.SetPoster(&poster);
    CUserDirectory directory;
    directory.Build(libraries.Manager(), "", Documents());
    libraries.Platform().SetCurrentUser(directory.Users()[1]->record);  // Bob does not sync
    PostNotice(context, {kActionAdded, kKindRecord, 1});
    EXPECT_TRUE(poster.posted.empty());
    libraries.Platform().SetCurrentUser(directory.Users()[0]->record);
    PostNotice(context, {kActionAdded, kKindRecord, 2});
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionAdded, kKindRecord, 2}}));
    context.SetPlatform(nullptr);
}

}  // namespace
}  // namespace tessarin

namespace tessarin {
namespace {

class CRecordingSwitchUi : public IUserSwitchUi {
public:
    explicit CRecordingSwitchUi(CCoreContext& context) : m_context(context) {}
    void SaveListSettings() override { calls.push_back("save settings"); }
    // What the login dialog does on OK: the typed password's key is held.
    bool LogIn(CPlatformUser& user) override {
        calls.push_back("log in " + user.Name());
        if (acceptLogin)
            SetDatabaseKey(m_context, CSecret(password));
        return acceptLogin;
    }
    void RebuildList() override { calls.push_back("rebuild"); }
    std::vector<std::string> calls;
    bool acceptLogin = true;
    std::string password;

private:
    CCoreContext& m_context;
};

TEST_F(FakePlatform, SwitchingUsersOpensTheOthersDatabaseAfterItsPassword) {
    const std::string data = (dir / "data").string();
    Configure({"platform_kind=0", "platform_name=Palm", "user=Ann|ann|0|Palm|1",
               "user=Bob|bob|0|Palm|2", "root_dir2=" + data + "/%s"});
    CPlatformLibraries libraries;
    ASSERT_EQ(libraries.Load(kFakes + "/full", Documents()), 0);
    CPreferences preferences(store);
    CUserDirectory directory;
    CScriptedPrompt prompt;
    const CStartupChoice start = ChooseUserAndDatabase(context, libraries.Platform(), directory,
                                                       preferences, store, prompt, Documents());
    ASSERT_EQ(start.user->Name(), "Ann");
    CDatabaseObj db(context);
    ASSERT_TRUE(Open(db, start.dataFolder).Ok());
    {
        CDatabaseObj bobs(context);
        ASSERT_TRUE(Open(bobs, data + "/bob").Ok());
        test::AddRecord(bobs, nullptr, nullptr, {"Bob's record"});
        SetPassword(context, bobs, CSecret("bob's"));
        ASSERT_TRUE(Save(bobs).Ok());
        SetDatabaseKey(context, CSecret());
    }
    directory.FillUserMenu(start.user);
    CRecordingSwitchUi ui(context);

    // The current user's own item does nothing; a refused login keeps the current user.
    EXPECT_EQ(SwitchUser(context, libraries.Platform(), directory, preferences, store, prompt, ui,
                         start.user, 40000, db)
                  .user,
              start.user);
    ui.acceptLogin = false;
    EXPECT_EQ(SwitchUser(context, libraries.Platform(), directory, preferences, store, prompt, ui,
                         start.user, 40001, db)
                  .user,
              start.user);
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"save settings", "log in Bob"}));
    EXPECT_EQ(db.m_records.Size(), 0u);

    ui.calls.clear();
    ui.acceptLogin = true;
    ui.password = "bob's";
    const CSwitchOutcome switched =
        SwitchUser(context, libraries.Platform(), directory, preferences, store, prompt, ui,
                   start.user, 40001, db);
    CPlatformUser* bob = switched.user;
    ASSERT_EQ(bob->Name(), "Bob");
    EXPECT_TRUE(switched.opened.Ok());
    EXPECT_EQ(ui.calls, (std::vector<std::string>{"save settings", "log in Bob", "rebuild"}));
    ASSERT_EQ(db.m_records.Size(), 1u);
    EXPECT_EQ(db.RecordAt(0)->GetValue(0), "Bob's record");
    EXPECT_EQ(preferences.ReadText(Pref::CurrentUser), "Bob");
    EXPECT_EQ(libraries.Platform().CurrentUser().Name(), "Bob");

    // Back to Ann, whose database has no password: the held key is dropped.
    EXPECT_EQ(SwitchUser(context, libraries.Platform(), directory, preferences, store, prompt, ui,
                         bob, 40000, db)
                  .user->Name(),
              "Ann");
    EXPECT_EQ(context.DatabaseKey(), nullptr);
    EXPECT_EQ(db.m_types.Size(), 18u);
}

}  // namespace
}  // namespace tessarin

namespace tessarin {
namespace {

TEST(UserDataFolder, AFolderNameBeyondAsciiRoundTripsThroughTheStoredText) {
    CMemoryPreferenceStore store;
    CStandaloneManager manager("/home/someone/Documents");
    CUserDirectory directory;
    directory.Build(manager, "", "");
    CPlatformUser& user = *directory.Users()[0];
    const std::string folder = "/home/someone/Caf\xC3\xA9 \xE2\x82\xAC";  // UTF-8, as on disk
    ASSERT_TRUE(directory.SetUserDataFolder(user, folder, store));
    EXPECT_EQ(store.ReadText(" - _Standalone_", "User Directory"), "/home/someone/Caf\xE9 \x80");
    EXPECT_EQ(directory.GetUserDataFolder(user, manager, store), folder);
    EXPECT_TRUE(user.folderFromRegistry);
    EXPECT_FALSE(
        directory.SetUserDataFolder(user, "/home/\xE6\x97\xA5", store));  // no Windows-1252 form
    EXPECT_EQ(directory.GetUserDataFolder(user, manager, store), folder);
}

}  // namespace
}  // namespace tessarin
