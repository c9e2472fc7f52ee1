// Every way the program changes the database, with a save that fails (the database's folder is gone
// while the change is made): nothing is announced to the sync listener, the change stays in memory
// as unsaved, the next save writes it, and the user is told once. Each way runs twice: with the
// file written on the window's thread, as a small database's is, and on a thread of its own while
// the window's loop turns, as a large one's is; and what may happen while such a save writes (a
// command, the lock) waits for it.
#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>
#include <utility>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include "app/desktop_commands.h"
#include "exchange/exchange_writer.h"
#include "exchange/record_list.h"
#include "gui/file_commands_fixture.h"
#include "gui/record_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_lifecycle.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/detail_view_dialog.h"
#include "ui/password_dialogs.h"
#include "ui/save_aside.h"
#include "ui/type_dialogs.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

class FailingSave;

// One way of changing the database: what the user does, and how the database shows the change.
struct CChangePath {
    const char* name;
    // Before the save fails (a sync needs a change that could not be saved).
    std::function<void(FailingSave&)> prepare;
    std::function<void(FailingSave&)> act;
    // The database holds the change.
    std::function<bool(const CDatabaseObj&)> holds;
    // Whether the change waits in memory for the next save (a new password does not: the old one
    // stays, in memory and in the file).
    bool waits = true;
};

void PrintTo(const CChangePath& path, std::ostream* out) {
    *out << path.name;
}

// Writes the file on a thread of its own, as a large database's save does, whatever the database's
// size; `during`, when given, runs on the window's thread while the write waits for it to end.
struct CSaveAside : IAsideRunner {
    void RunAside(const std::function<void()>& work) override {
        ++runs;
        std::atomic<bool> go{!during};
        if (during)
            QTimer::singleShot(0, [this, &go] {
                const std::function<void()> now = std::exchange(during, nullptr);
                now();
                go = true;
            });
        ThreadAside().RunAside([&] {
            while (!go)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            work();
        });
    }
    std::function<void()> during;
    int runs = 0;
};

// Field 1 of every live record.
std::vector<std::string> Values(const CDatabaseObj& db) {
    std::vector<std::string> values;
    for (const CRecord* record : LiveRecords(db))
        values.emplace_back(record->GetValue(0));
    return values;
}

bool Has(const CDatabaseObj& db, std::string_view value) {
    const std::vector<std::string> values = Values(db);
    return std::count(values.begin(), values.end(), value) > 0;
}

const CRecord* Find(const CDatabaseObj& db, std::string_view value) {
    for (const CRecord* record : LiveRecords(db))
        if (record->GetValue(0) == value)
            return record;
    return nullptr;
}

bool HasItem(const CItemList& list, std::string_view name) {
    const CBaseItem* item = list.FindByName(name);
    return item && !item->m_deleted;
}

// A way of changing the database, and whether the file is written aside.
using CFailingCase = std::tuple<CChangePath, bool>;

class FailingSave : public test::ProgramFixture,
                    public ::testing::WithParamInterface<CFailingCase> {
public:
    using test::ProgramFixture::m_files;
    using test::ProgramFixture::m_messages;
    using test::ProgramFixture::Write;

    void SetUp() override {
        const std::string lines =
            "platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\n"
            "root_dir2=" +
            Root() + "/%s\nactivated=1\nactive=Ann\ncan_sync=1\n";
        const fs::path config = m_home.Path() / "fake-platform.conf";
        test::WriteFileBytes(config, std::vector<unsigned char>(lines.begin(), lines.end()));
        setenv("TESSARIN_PLATFORM_DIR", TESSARIN_FAKE_PLATFORM_DIR "/full", 1);
        setenv("TESSARIN_FAKE_PLATFORM", config.c_str(), 1);
        {
            CCoreContext context;
            CDatabaseObj database(context);
            ASSERT_TRUE(Open(database, Folder()).Ok());
            CNoticeList notices;
            for (const char* value : {"first", "second"})
                database.AddFromColumns({"Web Logins", value}, "Personal", 21, 4, {}, notices);
            ASSERT_TRUE(Save(database).Ok());
        }
        m_app = Make(&m_runner);
        m_app->Context().SetPoster(&m_poster);
        ASSERT_TRUE(m_app->InitInstance());
        QCoreApplication::processEvents();
        m_messages.shown.clear();
    }
    // Every save from now on writes the file on a thread of its own.
    void SaveAside() { View().Session().SetAsideRunner(&m_aside, 0); }
    void TearDown() override {
        m_app.reset();
        unsetenv("TESSARIN_PLATFORM_DIR");
        unsetenv("TESSARIN_FAKE_PLATFORM");
    }

    std::string Root() const { return (m_home.Path() / "palm").string(); }
    std::string Folder() const { return Root() + "/ann"; }
    CTessarinDesktopView& View() { return *m_app->View(); }
    CDatabaseObj& Db() { return View().Database(); }
    bool Run(uint32_t id) { return test::ProgramFixture::Run(*m_app, id); }
    void Select(std::string_view value) {
        View().ClearSelection();
        View().SelectRecords({Find(Db(), value)});
        m_app->Frame()->Commands().UpdateEnabled();
    }
    // An exchange text of one record whose field 1 is `value`.
    std::string VexText(const std::string& value) {
        CCoreContext context;
        CDatabaseObj database(context);
        CNoticeList notices;
        database.AddFromColumns({"Web Logins", value}, "Personal", 21, 4, {}, notices);
        return BuildVexText(database, LiveRecords(database), nullptr);
    }
    // The save fails while the folder is away.
    void TakeFolderAway() { fs::rename(Folder(), Folder() + ".away"); }
    void BringFolderBack() { fs::rename(Folder() + ".away", Folder()); }

    // The messages that were not questions.
    std::vector<int> Told() const {
        std::vector<int> told;
        for (const auto& shown : m_messages.shown)
            if (shown.icon != MessageIcon::Question)
                told.push_back(shown.id);
        return told;
    }

    test::CRecordingPoster m_poster;
    struct CInline : IBackgroundRunner {
        bool Run(const QString&, bool, const Work& work) override {
            std::atomic<bool> cancel{false};
            std::atomic<int> permille{0};
            work(cancel, permille);
            return true;
        }
    } m_runner;
    CSaveAside m_aside;
    std::unique_ptr<CTessarinDesktopApp> m_app;
};

// Fills the record dialog's field 1 and presses OK.
void OnRecordDialog(const std::string& value) {
    test::OnNextDialog<CDetailViewDialog>([value](CDetailViewDialog& dialog) {
        dialog.FieldEdit(0)->setText(QString::fromStdString(value));
        dialog.accept();
    });
}

// "New..." in Edit Types or Edit Categories, with the name given, then "Done".
template <typename Define>
void OnListDialog(const char* name) {
    test::OnNextDialog<CEditTypesDialog>([name](CEditTypesDialog& list) {
        test::OnNextDialog<Define>([name](Define& define) {
            test::Named<CCp1252LineEdit>(define, "Name")->setText(name);
            define.accept();
        });
        list.NewItem();
        list.accept();
    });
}

const CChangePath kPaths[] = {
    {"New",
     {},
     [](FailingSave& t) {
         OnRecordDialog("made while failing");
         t.Run(cmd::kNewItem);
     },
     [](const CDatabaseObj& db) { return Has(db, "made while failing"); }},
    {"Edit", [](FailingSave& t) { t.Select("first"); },
     [](FailingSave& t) {
         OnRecordDialog("edited while failing");
         t.Run(cmd::kEditItem);
     },
     [](const CDatabaseObj& db) { return Has(db, "edited while failing") && !Has(db, "first"); }},
    {"Duplicate", [](FailingSave& t) { t.Select("first"); },
     [](FailingSave& t) {
         OnRecordDialog("duplicated while failing");
         t.Run(cmd::kDuplicateItem);
     },
     [](const CDatabaseObj& db) {
         return Has(db, "duplicated while failing") && Has(db, "first");
     }},
    {"Delete", [](FailingSave& t) { t.Select("first"); },
     [](FailingSave& t) { t.Run(cmd::kDeleteItem); },
     [](const CDatabaseObj& db) { return !Has(db, "first") && Has(db, "second"); }},
    {"CustomizeFields", [](FailingSave& t) { t.Select("first"); },
     [](FailingSave& t) {
         test::OnNextDialog<CCustomizeRecordDialog>([](CCustomizeRecordDialog& dialog) {
             dialog.findChildren<CCp1252LineEdit*>()[1]->setText("Login while failing");
             dialog.accept();
         });
         t.Run(cmd::kCustomizeFields);
     },
     [](const CDatabaseObj& db) {
         return Find(db, "first") && Find(db, "first")->GetCustomLabel(1) == "Login while failing";
     }},
    {"EditTypes",
     {},
     [](FailingSave& t) {
         OnListDialog<CDefineTypeDialog>("Failing Type");
         t.Run(cmd::kEditTypes);
     },
     [](const CDatabaseObj& db) { return HasItem(db.m_types, "Failing Type"); }},
    {"EditCategories",
     {},
     [](FailingSave& t) {
         OnListDialog<CDefineCategoryDialog>("Failing Category");
         t.Run(cmd::kEditCategories);
     },
     [](const CDatabaseObj& db) { return HasItem(db.m_categories, "Failing Category"); }},
    {"CategoryOfTheSelection", [](FailingSave& t) { t.Select("first"); },
     [](FailingSave& t) { t.Run(cmd::kSetCategoryUnfiled); },
     [](const CDatabaseObj& db) {
         return Find(db, "first") && Find(db, "first")->m_categoryKey.IsZero();
     }},
    {"Import",
     {},
     [](FailingSave& t) {
         t.m_files.files = {t.Write("import.vex", t.VexText("imported while failing"))};
         t.Run(cmd::kImportVex);
     },
     [](const CDatabaseObj& db) { return Has(db, "imported while failing") && Has(db, "first"); }},
    {"Paste",
     {},
     [](FailingSave& t) {
         QGuiApplication::clipboard()->setText(QString::fromStdString(t.VexText("pasted")));
         t.m_app->Commands()->Clipboard().Paste();
     },
     [](const CDatabaseObj& db) { return Has(db, "pasted") && Has(db, "first"); }},
    {"Cut", [](FailingSave& t) { t.Select("first"); }, [](FailingSave& t) { t.Run(cmd::kCut); },
     [](const CDatabaseObj& db) { return !Has(db, "first") && Has(db, "second"); }},
    {"Restore",
     {},
     [](FailingSave& t) {
         t.m_files.files = {t.Write("backup.vex", t.VexText("restored while failing"))};
         t.Run(cmd::kRestore);
     },
     [](const CDatabaseObj& db) {
         return Values(db) == std::vector<std::string>{"restored while failing"};
     }},
    {"SetPassword",
     {},
     [](FailingSave& t) {
         test::OnNextDialog<CSetPasswordDialog>([](CSetPasswordDialog& dialog) {
             const QList<QLineEdit*> fields = dialog.findChildren<QLineEdit*>();
             for (QLineEdit* field : fields)
                 field->setText("new while failing");
             dialog.accept();
         });
         t.Run(cmd::kSetPassword);
     },
     [](const CDatabaseObj& db) { return Has(db, "first"); },
     false},
    {"Sync",
     [](FailingSave& t) {
         // A change whose save failed waits in memory; the sync would read the file over it.
         t.Select("first");
         t.TakeFolderAway();
         t.Run(cmd::kSetCategoryUnfiled);
         t.BringFolderBack();
         ASSERT_TRUE(t.View().Session().HasUnsaved());
         t.m_messages.shown.clear();
         t.m_poster.posted.clear();
     },
     [](FailingSave& t) { t.Run(cmd::kSync); },
     [](const CDatabaseObj& db) {
         return Find(db, "first") && Find(db, "first")->m_categoryKey.IsZero();
     }},
};

TEST_P(FailingSave, NothingIsAnnouncedTheChangeWaitsAndTheUserIsToldOnce) {
    const auto& [path, aside] = GetParam();
    if (aside)
        SaveAside();
    if (path.prepare)
        path.prepare(*this);
    TakeFolderAway();
    path.act(*this);
    QCoreApplication::processEvents();
    if (aside) {
        EXPECT_GT(m_aside.runs, 0);
    }

    EXPECT_EQ(Told(), std::vector<int>{str::kErrorSavingDatabase});
    EXPECT_TRUE(m_poster.posted.empty());
    EXPECT_TRUE(path.holds(Db()));
    EXPECT_EQ(View().Session().HasUnsaved(), path.waits);

    // The next save writes what waited; the file otherwise stays as it was.
    BringFolderBack();
    ASSERT_TRUE(View().Session().SaveNow().Ok());
    CCoreContext reader;
    CDatabaseObj file(reader);
    ASSERT_TRUE(Load(file, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(path.holds(file), path.waits || path.holds(Db()));
    EXPECT_FALSE(IsPasswordSet(DatabasePathIn(Folder())));
}

INSTANTIATE_TEST_SUITE_P(EveryChange, FailingSave,
                         ::testing::Combine(::testing::ValuesIn(kPaths), ::testing::Bool()),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) ? "_WrittenAside" : "");
                         });

// The same fixture hears what a change that could be saved announces.
TEST_F(FailingSave, ASavedChangeIsAnnounced) {
    OnRecordDialog("made and saved");
    Run(cmd::kNewItem);
    EXPECT_TRUE(Told().empty());
    ASSERT_EQ(m_poster.posted.size(), 1u);
    EXPECT_EQ(m_poster.posted[0].action, static_cast<uint32_t>(kActionAdded));
    EXPECT_FALSE(View().Session().HasUnsaved());
}

// While a save writes the file aside, nothing else touches the database: a command reached by a
// path other than keys and clicks (which wait in their queue) is refused, and the lock waits for
// the save's end; the save is then announced and told as always.
TEST_F(FailingSave, ACommandDuringASaveWrittenAsideDoesNotRun) {
    SaveAside();
    Select("first");
    bool ran = true;
    m_aside.during = [&] {
        ASSERT_TRUE(View().Session().Busy());
        ran = Run(cmd::kDeleteItem);
    };
    OnRecordDialog("made aside");
    Run(cmd::kNewItem);
    EXPECT_FALSE(ran);
    EXPECT_FALSE(View().Session().Busy());
    EXPECT_TRUE(Has(Db(), "first"));
    EXPECT_TRUE(Told().empty());
    ASSERT_EQ(m_poster.posted.size(), 1u);
    EXPECT_EQ(m_poster.posted[0].action, static_cast<uint32_t>(kActionAdded));
    CCoreContext reader;
    CDatabaseObj file(reader);
    ASSERT_TRUE(Load(file, DatabasePathIn(Folder())).Ok());
    EXPECT_TRUE(Has(file, "made aside"));
    EXPECT_TRUE(Has(file, "first"));
}

TEST_F(FailingSave, TheLockDuringASaveWrittenAsideWaitsForItsEnd) {
    // The record dialog is still open while its OK's save writes: closed by the lock meanwhile, it
    // would store its edits a second time, a change inside the change.
    SaveAside();
    CLockController& lock = *m_app->LockController();
    m_aside.during = [&] { lock.Lock(CLockController::Reason::Idle); };
    bool heldAtTheLock = false;
    m_prompts.passwords = {""};
    m_prompts.onAskPassword = [&] {
        // By the time the password is asked, the change is in the file and was announced.
        CCoreContext reader;
        CDatabaseObj file(reader);
        heldAtTheLock = Load(file, DatabasePathIn(Folder())).Ok() && Has(file, "made aside") &&
                        m_poster.posted.size() == 1 &&
                        m_poster.posted[0].action == static_cast<uint32_t>(kActionAdded);
    };
    OnRecordDialog("made aside");
    Run(cmd::kNewItem);
    test::SettleLock(lock);
    m_prompts.onAskPassword = nullptr;
    EXPECT_TRUE(heldAtTheLock);
    EXPECT_EQ(lock.CurrentState(), CLockController::State::Unlocked);
    EXPECT_TRUE(Has(Db(), "made aside"));
    EXPECT_TRUE(Told().empty());
}

}  // namespace
}  // namespace tessarin
