// The file commands of the whole program: imports of every format, exports, backup and restore,
// dropped files, the database's location, and long work off the window's thread.
#include <sys/stat.h>

#include <algorithm>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "exchange/backup.h"
#include "exchange/vex_format.h"
#include "gui/file_commands_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/builtins.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/file_modes.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

// A runner that does the work on the caller's thread, or cancels it at once.
class CInlineRunner : public IBackgroundRunner {
public:
    bool Run(const QString& label, bool cancellable, const Work& work) override {
        labels << label;
        std::atomic<bool> cancel{cancelFirst && cancellable};
        std::atomic<int> permille{0};
        work(cancel, permille);
        return !cancel;
    }
    QStringList labels;
    bool cancelFirst = false;
};

// Records as plain text: type, field 1, category.
std::vector<std::string> Flat(const CDatabaseObj& db) {
    std::vector<std::string> out;
    for (const CRecord* r : LiveRecords(db)) {
        std::string line = db.m_types.NameOf(r->m_key) + "|";
        for (int i = 0; i < kFieldCount; ++i)
            line.append(r->GetValue(i)).append("|");
        out.push_back(line + std::string(r->GetNote()) + "|" +
                      db.m_categories.NameOf(r->m_categoryKey));
    }
    return out;
}

class FileCommands : public test::ProgramFixture {
protected:
    void SetUp() override {
        m_app = Make(&m_runner);
        ASSERT_TRUE(m_app->InitInstance());
        m_messages.shown.clear();  // no sample data beside the test program
    }
    CTessarinDesktopView& View() { return *m_app->View(); }
    CDatabaseObj& Db() { return View().Database(); }
    // A new database, as on a first run.
    bool ResetDatabase() {
        fs::remove(DatabasePathIn(Folder()));
        m_messages.shown.clear();
        return View().OpenDatabase(Folder());
    }
    std::string Fixture(const char* name) {
        return std::string(TESSARIN_TEST_DATA) + "/imports/" + name;
    }

    CInlineRunner m_runner;
    std::unique_ptr<CTessarinDesktopApp> m_app;
};

TEST_F(FileCommands, EveryImportCommandReadsItsFormatAsTheCoreDoes) {
    struct CCase {
        uint32_t command;
        const char* file;
        ExchangeFormat format;
        int filter, selected;
    } cases[] = {
        {cmd::kImportVex, "records.vex", ExchangeFormat::Detect, str::kVexOpenFilter, 0},
        {cmd::kImportVex, "cryptinfo.txt", ExchangeFormat::Detect, str::kVexOpenFilter, 0},
        {cmd::kImportCsv, "records.csv", ExchangeFormat::Csv, str::kCsvOpenFilter, 0},
        {cmd::kImportCryptinfo, "cryptinfo.txt", ExchangeFormat::Cryptinfo, str::kCsvOpenFilter, 1},
        {cmd::kImportEWallet, "ewallet.txt", ExchangeFormat::EWallet, str::kCsvOpenFilter, 1},
        {cmd::kImportMobileSafe, "mobilesafe.txt", ExchangeFormat::MobileSafe, str::kCsvOpenFilter,
         1},
        {cmd::kImportTopSecret, "topsecret.csv", ExchangeFormat::TopSecret, str::kCsvOpenFilter, 0},
        {cmd::kImportYaps, "yaps.txt", ExchangeFormat::Yaps, str::kCsvOpenFilter, 1},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        // The same file into a database of its own, through the core alone.
        test::CTestContext context;
        CDatabaseObj expected(context);
        expected.m_path = (m_home.Path() / "expected.tdb").string();
        CAllTypesList list(expected);
        test::CScriptedFilePassword none;
        CreateBuiltInTypes(expected.m_types);
        CreateBuiltInCategories(expected.m_categories);
        ASSERT_EQ(ImportFile(expected, c.format, Fixture(c.file), false, list, none).result,
                  CImportOutcome::Imported);

        ASSERT_TRUE(ResetDatabase());
        m_files.asked.clear();
        m_files.files = {Fixture(c.file)};
        ASSERT_TRUE(Run(*m_app, c.command));
        EXPECT_EQ(m_files.asked, (std::vector<test::CScriptedFilePrompts::CAsked>{
                                     {str::kImportFileTitle, c.filter, c.selected}}));
        EXPECT_EQ(Flat(Db()), Flat(expected));
        EXPECT_TRUE(m_messages.shown.empty());
        // The new records are listed; the file holds them.
        EXPECT_EQ(View().ShownRecords().size(), LiveRecords(expected).size());
        CDatabaseObj saved(context);
        ASSERT_TRUE(Load(saved, DatabasePathIn(Folder())).Ok());
        EXPECT_EQ(Flat(saved), Flat(expected));
        EXPECT_TRUE(View().DatabaseChanged());
    }
}

TEST_F(FileCommands, RefusalsPasswordsAndCancelsChangeNothing) {
    const std::string notText = Write("binary.vex", std::string("\0\1\2", 3));
    const std::string later = Write("later.vex", "Tessarin vEX File -v3.0\r\nF\r\n");
    m_files.files = {notText, later, (m_home.Path() / "missing.vex").string()};
    for (int i = 0; i < 3; ++i)
        Run(*m_app, cmd::kImportVex);
    EXPECT_EQ(m_messages.Ids(), (std::vector<int>{str::kImportNotText, str::kImportFutureVersion,
                                                  str::kErrorReadingImportFile}));

    // A protected file: asked again after each wrong password.
    test::CTestContext other;
    CDatabaseObj source(other);
    test::AddRecord(source, test::AddType(source, "Web"), nullptr, {"guarded"});
    const auto key = MakeKeySchedule(CSecret("right pw"));
    const std::string guarded =
        Write("guarded.vex",
              BuildVexText(source, RecordsInScope(source, ExportScope::All, nullptr), key.get()));
    m_messages.shown.clear();
    m_files.password.answers = {"wrong", "also wrong"};
    m_files.files = {guarded};
    Run(*m_app, cmd::kImportVex);
    EXPECT_EQ(m_files.password.asked, 3);
    EXPECT_EQ(m_messages.Ids(),
              (std::vector<int>{str::kImportWrongPassword, str::kImportWrongPassword}));
    EXPECT_EQ(Db().CountLive(0), 0u);

    m_files.password.answers = {"right pw"};
    m_files.files = {guarded};
    Run(*m_app, cmd::kImportVex);
    EXPECT_EQ(View().RowTexts(), QStringList{"guarded"});

    // Cancelled while reading: nothing changes.
    m_runner.cancelFirst = true;
    m_files.files = {Fixture("records.csv")};
    Run(*m_app, cmd::kImportCsv);
    EXPECT_EQ(View().RowTexts(), QStringList{"guarded"});
}

TEST_F(FileCommands, ExportsWriteTheScopePrivatelyAndSaySo) {
    m_files.files = {Fixture("records.vex")};
    Run(*m_app, cmd::kImportVex);
    ASSERT_EQ(View().RowCount(), 3);
    View().ClearSelection();
    View().SelectRecords({View().ShownRecords()[1]});

    struct CCase {
        uint32_t command;
        ExportScope scope;
        const char* password;
        size_t records;
    } cases[] = {
        {cmd::kExportVex, ExportScope::All, "", 3},
        {cmd::kExportVex, ExportScope::Selected, "file pw", 1},
        {cmd::kExportCsv, ExportScope::CurrentView, nullptr, 3},
    };
    for (const CCase& c : cases) {
        m_messages.shown.clear();
        const std::string path = (m_home.Path() / "out.file").string();
        fs::remove(path);
        m_files.files = {path};
        m_files.scope = c.scope;
        m_files.exportPassword = c.password ? std::optional<std::string>(c.password) : "";
        ASSERT_TRUE(Run(*m_app, c.command));
        EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kExportSucceeded});
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);

        test::CTestContext context;
        CDatabaseObj back(context);
        back.m_path = (m_home.Path() / "back.tdb").string();
        CAllTypesList list(back);
        test::CScriptedFilePassword password;
        if (c.password && *c.password)
            password.answers = {c.password};
        ImportFile(back, ExchangeFormat::Detect, path, false, list, password);
        EXPECT_EQ(LiveRecords(back).size(), c.records);
        EXPECT_EQ(password.asked, c.password && *c.password ? 1 : 0);
    }

    // A folder that cannot take the file: 602, then 603.
    m_messages.shown.clear();
    m_files.files = {(m_home.Path() / "no such folder/out.vex").string()};
    m_files.scope = ExportScope::All;
    Run(*m_app, cmd::kExportVex);
    EXPECT_EQ(m_messages.Ids(),
              (std::vector<int>{str::kErrorCreatingExportFile, str::kErrorWritingExportFile}));
    // Cancelling a question ends the command quietly.
    m_messages.shown.clear();
    m_files.scope.reset();
    Run(*m_app, cmd::kExportVex);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(FileCommands, ExportsAndBackupsArePrivateAndReplaceALinkPlantedAtTheirName) {
    m_files.files = {Fixture("records.vex")};
    Run(*m_app, cmd::kImportVex);
    const test::CUmask open(0);
    test::CTempDir elsewhere;
    for (const uint32_t command : {cmd::kExportVex, cmd::kExportCsv, cmd::kBackup}) {
        const fs::path fresh = m_home.Path() / ("fresh-" + std::to_string(command));
        const fs::path linked = m_home.Path() / ("linked-" + std::to_string(command));
        const test::CPlantedLink planted(linked, elsewhere, std::to_string(command));
        m_files.files = {fresh.string(), linked.string()};
        m_files.scope = ExportScope::All;
        m_files.exportPassword = "";
        ASSERT_TRUE(Run(*m_app, command));
        ASSERT_TRUE(Run(*m_app, command));
        EXPECT_EQ(test::ModeAt(fresh), 0600) << command;
        planted.ExpectReplacedByPrivateFile();
    }
    // The automatic backup at the end replaces a link at its name too.
    const fs::path folder = AutoBackupFolder(m_app->Context().Strings(), Documents());
    fs::create_directories(folder);
    const test::CPlantedLink automatic(folder / AutoBackupFileName("", "<Standalone>"), elsewhere,
                                       "automatic");
    m_app->ExitInstance();
    automatic.ExpectReplacedByPrivateFile();
}

TEST_F(FileCommands, BackupAndRestoreAndADamagedBackupLosesNothing) {
    m_files.files = {Fixture("records.vex")};
    Run(*m_app, cmd::kImportVex);
    const std::vector<std::string> before = Flat(Db());
    const std::string backup = (m_home.Path() / "backup.vex").string();
    m_files.files = {backup};
    m_files.exportPassword = "backup pw";
    m_messages.shown.clear();
    Run(*m_app, cmd::kBackup);
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kBackupSucceeded});
    EXPECT_EQ(m_files.startFolder, Documents());

    // Something changes; "No" to the question keeps it.
    m_files.files = {Fixture("yaps.txt")};
    Run(*m_app, cmd::kImportYaps);
    const std::vector<std::string> changed = Flat(Db());
    m_messages.yes = false;
    m_messages.shown.clear();
    m_files.files = {backup};
    Run(*m_app, cmd::kRestore);
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kRestoreConfirm});
    EXPECT_EQ(m_messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(Flat(Db()), changed);

    // A backup cut in the middle of a row: nothing is restored.
    std::string text;
    {
        CFileBytes bytes;
        ASSERT_EQ(ReadWholeFile(backup, bytes), 0);
        text.assign(bytes.View());
    }
    // Cut near its end, inside an enciphered value half way through, and inside the last value
    // of the last row (its note: the row looks whole up to there).
    const size_t inside = text.find(',', text.size() / 2) + 6;
    size_t last = text.rfind(',');
    while (last != std::string::npos &&
           (text.size() - last < 18 ||
            !std::all_of(text.begin() + last + 1, text.begin() + last + 17, isxdigit)))
        last = text.rfind(',', last - 1);
    ASSERT_NE(last, std::string::npos);
    for (const size_t length : {text.size() - 20, inside, last + 6}) {
        SCOPED_TRACE(length);
        const std::string cut = Write("cut.vex", text.substr(0, length));
        m_messages.yes = true;
        m_messages.shown.clear();
        m_files.files = {cut};
        m_files.password.answers = {"backup pw"};
        Run(*m_app, cmd::kRestore);
        EXPECT_EQ(m_messages.Ids(), (std::vector<int>{str::kRestoreConfirm, str::kRestoreRowCut,
                                                      str::kNothingRestored}));
        EXPECT_EQ(Flat(Db()), changed);
    }

    // The whole backup: the database is replaced, the one before kept beside it.
    m_messages.shown.clear();
    m_files.files = {backup};
    m_files.password.answers = {"backup pw"};
    Run(*m_app, cmd::kRestore);
    ASSERT_EQ(m_messages.Ids(), (std::vector<int>{str::kRestoreConfirm, str::kRestoreKeptAt}));
    const std::string kept = DatabasePathIn(Folder()) + kBeforeRestoreSuffix;
    EXPECT_EQ(m_messages.shown[1].args, std::vector<std::string>{kept});
    EXPECT_EQ(Flat(Db()), before);
    test::CTestContext context;
    CDatabaseObj previous(context);
    ASSERT_TRUE(Load(previous, kept).Ok());
    EXPECT_EQ(Flat(previous), changed);
    EXPECT_EQ(View().RowCount(), static_cast<int>(before.size()));
}

TEST_F(FileCommands, DroppedFilesAreImportedByTheirExtension) {
    const std::string other = Write("notes.doc", "Web,dropped\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Fixture("yaps.txt"))),
                  QUrl::fromLocalFile(QString::fromStdString(other))});
    const QPoint at = View().rect().center();
    // Sends a drag's entry and its drop to the window as the window system would.
    const auto dropOn = [&](QWidget& target) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &drop);
        QApplication::processEvents();  // the import runs once the drop has ended
        return drop.isAccepted();
    };

    // While locked the window takes no drop at all.
    LockWhile(*m_app->LockController(), m_prompts, "", [&] { EXPECT_FALSE(dropOn(View())); });
    QApplication::processEvents();
    EXPECT_EQ(View().RowCount(), 0);
    EXPECT_TRUE(m_messages.shown.empty());

    ASSERT_TRUE(View().acceptDrops());
    ASSERT_TRUE(dropOn(View()));
    // The YAPS file is found by its contents; the unknown extension is refused by name.
    EXPECT_EQ(View().RowCount(), 2);
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kDroppedFileTypeUnknown});
}

TEST_F(FileCommands, AFileHandedOverWhileLockedIsAskedAboutAfterTheUnlock) {
    // A second start hands the file over and ends: the file must not be lost while the
    // password dialog is up.
    LockWhile(*m_app->LockController(), m_prompts, "", [&] {
        View().Imports().ImportWithConfirmation(Fixture("records.vex"));
        EXPECT_TRUE(m_messages.shown.empty());
        EXPECT_EQ(View().RowCount(), 0);
    });
    // The unlock asks about it.
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kImportFileConfirm});
    EXPECT_EQ(View().RowCount(), 3);
    // Asked once only.
    m_messages.shown.clear();
    View().Imports().ImportHandedOver();
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(FileCommands, TheDatabaseMovesWithItsIconsAndTheFolderIsRemembered) {
    m_files.files = {Fixture("records.vex")};
    Run(*m_app, cmd::kImportVex);
    Db().m_handheldName = "Icons";
    const std::string icons = Folder() + "/Icons.pdb";
    Write("x", "");
    fs::copy_file(m_home.Path() / "x", icons);

    // A folder that holds a database already is refused.
    const std::string taken = (m_home.Path() / "taken").string();
    {
        test::CTestContext context;
        CDatabaseObj other(context);
        ASSERT_TRUE(Open(other, taken).Ok());
    }
    m_messages.shown.clear();
    m_files.folders = {taken};
    Run(*m_app, cmd::kChangeDatabaseLocation);
    EXPECT_EQ(m_files.startFolder, Folder());
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kDatabaseAlreadyExists});
    EXPECT_EQ(View().Folder(), Folder());

    // A folder whose name the settings cannot hold is refused before anything moves: the next
    // start would not find the database there.
    const std::string unstorable = (m_home.Path() / "\xE2\x9C\x93 safe").string();
    fs::create_directories(unstorable);
    m_messages.shown.clear();
    m_files.folders = {unstorable};
    Run(*m_app, cmd::kChangeDatabaseLocation);
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kLocationNotStorable});
    EXPECT_TRUE(fs::exists(DatabasePathIn(Folder())));
    EXPECT_FALSE(fs::exists(DatabasePathIn(unstorable)));

    const std::string moved = (m_home.Path() / "moved").string();
    fs::create_directories(moved);
    m_messages.shown.clear();
    m_files.folders = {moved};
    Run(*m_app, cmd::kChangeDatabaseLocation);
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_TRUE(fs::exists(DatabasePathIn(moved)));
    EXPECT_TRUE(fs::exists(moved + "/Icons.pdb"));
    EXPECT_FALSE(fs::exists(DatabasePathIn(Folder())));
    EXPECT_EQ(View().Folder(), moved);
    EXPECT_EQ(View().RowCount(), 3);
    EXPECT_EQ(m_store.ReadText(" - _Standalone_", "User Directory"), moved);
}

// Another manager's export through File > Import > From Another Password Manager, chosen in the
// menu as the user would, and the records leaving through File > Export.
TEST_F(FileCommands, AnotherManagersExportComesInFromItsMenuAndRecordsLeaveForOne) {
    const QMenu* submenu = m_app->Frame()->Commands().Popup(cmd::Popup::FromManager);
    ASSERT_TRUE(submenu);
    auto choose = [&](const QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions())
            if (action->text() == text) {
                EXPECT_TRUE(action->isEnabled()) << text.toStdString();
                action->trigger();
                // The command runs once the menu has closed, its closing message after it.
                for (int turn = 0; turn < 3; ++turn)
                    QApplication::processEvents();
                return;
            }
        ADD_FAILURE() << "no item " << text.toStdString();
    };
    const std::string managers = std::string(TESSARIN_TEST_DATA) + "/managers/";
    struct CCase {
        const char* item;
        const char* file;
        std::vector<std::string> told;  // the closing message's arguments
        size_t messages;
    } cases[] = {
        {"&KeePassXC CSV...", "keepassxc.csv", {"KeePassXC", "4", "0"}, 2},
        {"&Bitwarden CSV or JSON...", "bitwarden.json", {"Bitwarden", "5", "0"}, 2},
        {"&Chrome, Chromium, Edge or Brave CSV...",
         "chrome.csv",
         {"Chrome, Chromium, Edge or Brave", "3", "0"},
         1},
        // The first line decides: this is Firefox's, whichever item was chosen.
        {"&1Password CSV...", "firefox.csv", {"Firefox", "3", "0"}, 1},
        {"&LastPass CSV...", "lastpass.csv", {"LastPass", "3", "0"}, 1},
        {"&Proton Pass CSV...", "protonpass.csv", {"Proton Pass", "4", "0"}, 1},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.file);
        ASSERT_TRUE(ResetDatabase());
        m_files.asked.clear();
        m_files.files = {managers + c.file};
        choose(submenu, c.item);
        EXPECT_EQ(m_files.asked, (std::vector<test::CScriptedFilePrompts::CAsked>{
                                     {str::kImportFileTitle, str::kManagerOpenFilter, 0}}));
        ASSERT_EQ(m_messages.shown.size(), c.messages);
        EXPECT_EQ(m_messages.shown[0].id, str::kManagerImportDone);
        EXPECT_EQ(m_messages.shown[0].args, c.told);
        if (c.messages == 2) {
            EXPECT_EQ(m_messages.shown[1].id, str::kManagerCharactersReplaced);
        }
        EXPECT_EQ(View().RowCount(), std::stoi(c.told[1]));
        // A second time nothing is added, and the message says why.
        m_messages.shown.clear();
        m_files.files = {managers + c.file};
        choose(submenu, c.item);
        ASSERT_FALSE(m_messages.shown.empty());
        EXPECT_EQ(m_messages.shown[0].args[1], "0");
        EXPECT_EQ(m_messages.shown[0].args[2], c.told[1]);
        EXPECT_EQ(View().RowCount(), std::stoi(c.told[1]));
    }
    // A file whose first line names none of the chosen manager's columns changes nothing.
    m_messages.shown.clear();
    m_files.files = {Fixture("records.csv")};
    choose(submenu, "&Firefox CSV...");
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kManagerNotThatExport});
    EXPECT_EQ(View().RowCount(), 4);

    // Leaving: the save dialog's filter chooses Bitwarden (first) or KeePassXC.
    const QMenu* exports = m_app->Frame()->Commands().Popup(cmd::Popup::Export);
    for (const int filter : {0, 1}) {
        m_messages.shown.clear();
        m_files.asked.clear();
        const std::string path = (m_home.Path() / "leaving.csv").string();
        m_files.files = {path};
        m_files.chosenFilter = filter;
        choose(exports, "For Another Password Manager...");
        EXPECT_EQ(m_files.asked, (std::vector<test::CScriptedFilePrompts::CAsked>{
                                     {str::kManagerExportTitle, str::kManagerSaveFilter, filter}}));
        EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kManagerExportSucceeded});
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        const std::vector<unsigned char> bytes = test::ReadFileBytes(path);
        const std::string text(bytes.begin(), bytes.end());
        EXPECT_TRUE(
            text.starts_with(filter == 0 ? "folder,favorite,type," : "\"Group\",\"Title\","));
        // What leaves comes back: into the same database, it adds nothing.
        m_messages.shown.clear();
        m_files.files = {path};
        choose(submenu, filter == 0 ? "&Bitwarden CSV or JSON..." : "&KeePassXC CSV...");
        ASSERT_FALSE(m_messages.shown.empty());
        EXPECT_EQ(m_messages.shown[0].args[1], "0");
        EXPECT_EQ(m_messages.shown[0].args[2], "4");
    }
}

// The real worker thread and progress dialog, over a file large enough to take a while.
class LongWork : public test::ProgramFixture {
protected:
    std::string LargeCsv(int rows) {
        std::string text = "Tessarin Export File\r\n";
        for (int i = 0; i < rows; ++i)
            text += "Web Logins,Site " + std::to_string(i) + ",user,pw,,,,note,Personal\r\n";
        return Write("large.csv", text);
    }
};

TEST_F(LongWork, AnImportShowsProgressKeepsTheWindowAnsweringAndCanBeCancelled) {
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    m_messages.shown.clear();
    const size_t recordsBefore = app->View()->Database().CountLive(0);
    const std::string large = LargeCsv(100000);

    // The window's event loop keeps running while the file is read; Cancel stops before any
    // change.
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    bool sawProgress = false;
    QTimer cancel;
    QObject::connect(&cancel, &QTimer::timeout, [&] {
        // Cancelled once the window has answered at least once while the file is worked on,
        // however fast this machine reads it.
        if (ticks == 0)
            return;
        // Found whether it has shown itself yet or not: it shows once the work takes a moment.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* progress = qobject_cast<QProgressDialog*>(w)) {
                sawProgress = true;
                EXPECT_EQ(progress->accessibleName(), "Progress");
                if (auto* button = progress->findChild<QPushButton*>())
                    button->click();
            }
    });
    cancel.start(5);
    m_files.files = {large};
    ASSERT_TRUE(Run(*app, cmd::kImportCsv));
    cancel.stop();
    EXPECT_TRUE(sawProgress);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(app->View()->Database().CountLive(0), recordsBefore);
    EXPECT_FALSE(app->View()->DatabaseChanged());

    // Left to run, every row arrives.
    m_files.files = {LargeCsv(400)};
    ASSERT_TRUE(Run(*app, cmd::kImportCsv));
    EXPECT_EQ(app->View()->Database().CountLive(0), recordsBefore + 400);
    EXPECT_EQ(app->View()->RowCount(), static_cast<int>(recordsBefore) + 400);
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(LongWork, AManagersLargeExportImportsOffTheWindowsThread) {
    auto app = Make();
    ASSERT_TRUE(app->InitInstance());
    m_messages.shown.clear();
    std::string text =
        "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,"
        "login_password,login_totp\r\n";
    constexpr int kRows = 100000;
    for (int i = 0; i < kRows; ++i)
        text += "Folder " + std::to_string(i % 50) + ",,login,Site " + std::to_string(i) +
                ",\"a note, quoted\",,0,https://site" + std::to_string(i) + ".example,user,pw,\r\n";
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(0);
    bool sawProgress = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            sawProgress = sawProgress || qobject_cast<QProgressDialog*>(w);
    });
    look.start(5);
    m_files.files = {Write("bitwarden.csv", text)};
    ASSERT_TRUE(Run(*app, cmd::kImportBitwarden));
    EXPECT_TRUE(m_messages.shown.empty());  // said once the command is over
    QApplication::processEvents();
    EXPECT_TRUE(sawProgress);
    EXPECT_GT(ticks, 0);
    EXPECT_EQ(app->View()->Database().CountLive(0), static_cast<size_t>(kRows));
    ASSERT_EQ(m_messages.Ids(), std::vector<int>{str::kManagerImportDone});
    EXPECT_EQ(m_messages.shown[0].args,
              (std::vector<std::string>{"Bitwarden", std::to_string(kRows), "0"}));
}

}  // namespace
}  // namespace tessarin
