// A start that cannot read the database: it says why and offers Try Again, Restore... and Quit;
// nothing is written to the file it could not read.
#include <gtest/gtest.h>

#include <filesystem>

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "exchange/backup.h"
#include "exchange/exchange_writer.h"
#include "gui/shell_program_fixture.h"
#include "platform/file_lock.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "ui/desktop_view.h"
#include "ui/start_failure_dialog.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using Choice = StartFailureChoice;

class StartFailure : public test::ShellProgram {
protected:
    // A backup of the database as it is now, with this password's key (none: unprotected).
    void Backup(const std::string& path, const std::string& password = kPassword) {
        CCoreContext context;
        SetDatabaseKey(context, CSecret(kPassword));
        CDatabaseObj database(context);
        ASSERT_TRUE(Load(database, DatabasePathIn(Folder())).Ok());
        const auto key = MakeKeySchedule(CSecret(password));
        fs::create_directories(fs::path(path).parent_path());
        ASSERT_TRUE(WriteExchange(database, ExportFormat::Vex, ExportScope::All, nullptr, path,
                                  password.empty() ? nullptr : key.get(), true));
    }
    std::string AutomaticBackup() const {
        return (fs::path(AutoBackupFolder(CStringTable(), Documents())) /
                AutoBackupFileName("", "<Standalone>"))
            .string();
    }
    // Cuts the file short: its header (and so its password) stays, its records do not.
    void Damage() {
        std::vector<unsigned char> bytes = DatabaseBytes();
        bytes.resize(bytes.size() - 40);
        test::WriteFileBytes(DatabasePathIn(Folder()), bytes);
        m_damaged = bytes;
    }
    std::vector<std::string> FilesBesideTheDatabase() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Folder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    QStringList Rows(CTessarinDesktopApp& app) { return app.View()->RowTexts(); }

    std::vector<unsigned char> m_damaged;
};

TEST_F(StartFailure, ADamagedDatabaseSaysWhyAndQuitWritesNothing) {
    MakeDatabase({"Mail", "Bank"});
    Damage();
    const std::vector<std::string> files = FilesBesideTheDatabase();
    // The list showed one type last time; the database it names could not be read.
    const std::vector<uint8_t> lastType = {0xde, 0xad, 0xbe, 0xef, 0, 0, 0, 1};
    m_store.WriteBytes(" - <Standalone>", "Current Type", lastType);
    auto app = Make();
    m_prompts.passwords = {kPassword};
    EXPECT_FALSE(app->InitInstance());
    ASSERT_EQ(m_prompts.failures.size(), 1u);
    const CStartFailure& failure = m_prompts.failures[0];
    EXPECT_TRUE(failure.why.startsWith(QStringLiteral("The database %1 could not be read: ")
                                           .arg(QString::fromStdString(DatabasePathIn(Folder())))))
        << failure.why.toStdString();
    EXPECT_TRUE(failure.newestBackup.isEmpty());
    EXPECT_EQ(failure.backupFolder,
              QString::fromStdString(AutoBackupFolder(CStringTable(), Documents())));
    // Said in the dialog, not in a message box of its own; nothing kept, nothing written, not
    // even the list's settings.
    EXPECT_TRUE(m_messages.shown.empty());
    app->ExitInstance();
    EXPECT_EQ(DatabaseBytes(), m_damaged);
    EXPECT_EQ(FilesBesideTheDatabase(), files);
    EXPECT_EQ(m_store.ReadBytes(" - <Standalone>", "Current Type"), std::optional(lastType));
}

TEST_F(StartFailure, RestoreBringsBackTheNewestAutomaticBackupAndKeepsTheDamagedFile) {
    MakeDatabase({"Mail", "Bank"});
    Backup(AutomaticBackup());
    MakeDatabase({"Mail", "Bank", "Shop"});
    Damage();
    m_prompts.startChoices = {Choice::RestoreNewest};
    auto app = Start();
    ASSERT_TRUE(app->Started());
    ASSERT_EQ(m_prompts.failures.size(), 1u);
    EXPECT_EQ(m_prompts.failures[0].newestBackup, QStringLiteral("Tessarin--_Standalone_.vex"));
    EXPECT_FALSE(m_prompts.failures[0].written.isEmpty());
    EXPECT_EQ(Rows(*app), QStringList({"Bank", "Mail"}));
    // The backup had the database's key: no password was asked for it.
    EXPECT_EQ(m_files.password.asked, 0);
    // The file that could not be read is kept beside, as it was, and the user is told where.
    ASSERT_EQ(m_messages.Ids(), std::vector<int>{str::kRestoreKeptAt});
    const std::string kept = m_messages.shown[0].args.at(0);
    EXPECT_EQ(test::ReadFileBytes(kept), m_damaged);
    EXPECT_EQ(fs::path(kept).parent_path(), fs::path(Folder()));
    // The restored file opens with the database's password.
    EXPECT_TRUE(CheckPassword(DatabasePathIn(Folder()), CSecret(kPassword)));
}

TEST_F(StartFailure, RestoreFromAChosenFileAsksItsPasswordAndACancelGoesBackToTheChoice) {
    MakeDatabase({"Mail"});
    const std::string chosen = (m_home.Path() / "manual.vex").string();
    Backup(chosen, "Other9");
    Backup(AutomaticBackup());
    Damage();
    // The picker cancelled, then the file; its password wrong, then right.
    m_prompts.startChoices = {Choice::RestoreOther, Choice::RestoreOther};
    m_files.files = {};
    m_prompts.onStartFailure = [&] {
        if (m_prompts.failures.size() == 2)
            m_files.files = {chosen};
    };
    m_files.password.answers = {"wrong", "Other9"};
    auto app = Start();
    ASSERT_TRUE(app->Started());
    EXPECT_EQ(m_prompts.failures.size(), 2u);
    // The database's own password is tried first, and then the user's.
    EXPECT_EQ(m_files.password.asked, 2);
    EXPECT_EQ(Rows(*app), QStringList({"Mail"}));
    EXPECT_EQ(m_messages.Ids(), (std::vector<int>{str::kImportWrongPassword, str::kRestoreKeptAt}));
}

TEST_F(StartFailure, TryAgainReadsTheDatabaseOnceAnotherProgramLetsGoOfIt) {
    MakeDatabase({"Mail"});
    const std::vector<unsigned char> before = DatabaseBytes();
    CFileLock other;
    ASSERT_TRUE(other.Acquire(std::chrono::milliseconds(0)));
    m_prompts.startChoices = {Choice::TryAgain, Choice::TryAgain};
    m_prompts.onStartFailure = [&] {
        if (m_prompts.failures.size() == 2)
            other.Release();
    };
    m_prompts.passwords = {kPassword};
    auto app = Make();
    app->Context().m_lockTimeout = std::chrono::milliseconds(0);
    ASSERT_TRUE(app->InitInstance());
    ASSERT_EQ(m_prompts.failures.size(), 2u);
    EXPECT_EQ(m_prompts.failures[0].why,
              QStringLiteral("The database %1 is in use by another program. Try again later.")
                  .arg(QString::fromStdString(DatabasePathIn(Folder()))));
    EXPECT_EQ(Rows(*app), QStringList({"Mail"}));
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(DatabaseBytes(), before);
}

// The dialog itself.
QPushButton* Button(QDialog& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    return nullptr;
}
QRadioButton* Radio(QDialog& dialog, const QString& start) {
    for (QRadioButton* radio : dialog.findChildren<QRadioButton*>())
        if (radio->text().startsWith(start))
            return radio;
    return nullptr;
}

TEST(StartFailureDialog, SaysWhyAndWhatEachButtonDoes) {
    const CStringTable strings;
    const struct {
        bool newest;         // an automatic backup was found
        bool chooseOther;    // the user picks "another backup file"
        const char* button;  // pressed
        Choice expected;
    } cases[] = {
        {true, false, "&Try Again", Choice::TryAgain},
        {true, false, "&Restore...", Choice::RestoreNewest},
        {true, true, "&Restore...", Choice::RestoreOther},
        {false, false, "&Restore...", Choice::RestoreOther},
        {true, false, "Quit", Choice::Quit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + (c.newest ? " newest" : "") +
                     (c.chooseOther ? " other" : ""));
        CStartFailureDialog dialog(
            strings, QStringLiteral("The database is damaged."),
            c.newest ? QStringLiteral("Tessarin--_Standalone_.vex") : QString(),
            QStringLiteral("1/2/25 9:30"), QStringLiteral("/home/me/Backup"));
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Tessarin Cannot Open Your Database"));
        QStringList lines;
        for (QLabel* label : dialog.findChildren<QLabel*>())
            lines << label->text();
        EXPECT_EQ(lines.at(0), QStringLiteral("The database is damaged."));
        QRadioButton* newest = Radio(dialog, QStringLiteral("The newest automatic &backup"));
        QRadioButton* other = Radio(dialog, QStringLiteral("&Another backup file..."));
        ASSERT_NE(other, nullptr);
        if (c.newest) {
            ASSERT_NE(newest, nullptr);
            EXPECT_EQ(newest->text(),
                      QStringLiteral("The newest automatic &backup: "
                                     "Tessarin--_Standalone_.vex, written 1/2/25 9:30"));
            EXPECT_TRUE(newest->isChecked());
        } else {
            EXPECT_EQ(newest, nullptr);
            EXPECT_TRUE(lines.contains(
                QStringLiteral("No automatic backup was found in /home/me/Backup.")));
            EXPECT_TRUE(other->isChecked());
        }
        if (c.chooseOther)
            QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(6, other->height() / 2));
        EXPECT_TRUE(Button(dialog, QStringLiteral("&Try Again"))->isDefault());
        QPushButton* pressed = Button(dialog, QString::fromLatin1(c.button));
        ASSERT_NE(pressed, nullptr);
        QTest::mouseClick(pressed, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.Choice(), c.expected);
    }
}

}  // namespace
}  // namespace tessarin
