// Find, Find All and Select All, and printing the list as shown.
#include <gtest/gtest.h>

#include <optional>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>

#include "gui/typing.h"
#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "support/file_modes.h"
#include "ui/find_dialog.h"
#include "ui/find_print_commands.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::AddRecord;
using test::AddType;

class FindPrint : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = AddType(db, "Login");
            login->m_maskBits = 0b100;
            AddRecord(db, login, nullptr, {"mail", "me", "Secret"});
            AddRecord(db, login, nullptr, {"forum", "you", "password pass"});
            AddRecord(db, login, nullptr, {"bank", "xabc abcx", "pw"});
        });
        OpenView();
        m_find = std::make_unique<CFindPrintCommands>(
            m_context, m_preferences, View(), [] { return std::string("Ann"); }, m_window.get());
        m_find->Bind(*m_commands);
    }
    void TearDown() override {
        m_find.reset();
        CloseView();
    }

    // Runs Find as if the dialog were filled in and confirmed (or cancelled).
    void Find(const QString& text, bool caseSensitive, bool wholeWord, bool ok = true) {
        m_find->m_runFindDialog = [=, this](CFindDialog& dialog) {
            m_shownText = dialog.TextEdit()->text();
            m_shownCase = dialog.CaseSensitiveBox()->isChecked();
            m_shownWhole = dialog.WholeWordBox()->isChecked();
            dialog.TextEdit()->setText(text);
            dialog.CaseSensitiveBox()->setChecked(caseSensitive);
            dialog.WholeWordBox()->setChecked(wholeWord);
            return ok;
        };
        ASSERT_TRUE(m_commands->Run(cmd::kFind));
    }
    QStringList Listed() {
        QStringList names;
        for (CRecord* record : View().ListModel().Rows())
            names << QString::fromStdString(std::string(record->GetValue(0)));
        return names;
    }

    std::unique_ptr<CFindPrintCommands> m_find;
    QString m_shownText;
    bool m_shownCase = false;
    bool m_shownWhole = false;
};

TEST_F(FindPrint, FindNarrowsTheListWithTheDialogsOptions) {
    struct Case {
        QString text;
        bool caseSensitive;
        bool wholeWord;
        QStringList listed;
    };
    const Case cases[] =
        {
            {"SECRET", false, false, {"mail"}}, {"SECRET", true, false, {}},
            {"abc", false, true, {}},           {"pass", false, true, {"forum"}},
            {"Login", false, false, {}},  // the type name is not searched
        };
    for (const Case& c : cases) {
        Find(c.text, c.caseSensitive, c.wholeWord);
        QStringList listed = Listed();
        listed.sort();
        EXPECT_EQ(listed, c.listed) << c.text.toStdString();
        EXPECT_EQ(m_preferences.ReadNumber(Pref::CaseSensitive), c.caseSensitive ? 1u : 0u);
        EXPECT_EQ(m_preferences.ReadNumber(Pref::WholeWord), c.wholeWord ? 1u : 0u);
    }
    // The next dialog opens with the last text and the stored options.
    Find("me", false, false);
    EXPECT_EQ(m_shownText, "Login");
    EXPECT_FALSE(m_shownCase);
    EXPECT_FALSE(m_shownWhole);
    EXPECT_EQ(Listed(), QStringList{"mail"});
}

TEST_F(FindPrint, ACharacterWindows1252CannotHoldIsRefusedAsTypedNotSearchedAsAQuestionMark) {
    // A record the lossy conversion would have found for "q\u2192z".
    AddRecord(View().Database(), nullptr, nullptr, {"q?z"});
    View().RefillList();
    QString typed;
    QString notice;
    m_find->m_runFindDialog = [&](CFindDialog& dialog) {
        dialog.TextEdit()->clear();
        test::TypeText(dialog.TextEdit(), QString::fromUtf8("q\u2192z"));
        typed = dialog.TextEdit()->text();
        // Set past the keyboard (as the accessibility interface does), refused whole.
        dialog.TextEdit()->setText(QString::fromUtf8("\u2192"));
        EXPECT_EQ(dialog.TextEdit()->text(), typed);
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->accessibleName() == QStringLiteral("Input notice"))
                notice = label->text();
        return true;
    };
    ASSERT_TRUE(m_commands->Run(cmd::kFind));
    EXPECT_EQ(typed, "qz");
    // The record dialogs' message.
    EXPECT_TRUE(
        notice.startsWith(QString::fromUtf8("\u201C\u2192\u201D (U+2192) cannot be stored")))
        << notice.toStdString();
    EXPECT_EQ(m_find->LastFindText(), "qz");
    EXPECT_EQ(Listed(), QStringList());
}

TEST_F(FindPrint, EmptyTextOrCancelLeaveTheListAndFindAllUndoesTheNarrowing) {
    m_commands->UpdateEnabled();
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kFindAll));
    Find("you", false, false);
    EXPECT_EQ(Listed(), QStringList{"forum"});
    EXPECT_TRUE(m_commands->IsEnabled(cmd::kFindAll));

    Find("", true, true);
    EXPECT_EQ(Listed(), QStringList{"forum"});
    EXPECT_EQ(m_find->LastFindText(), "");
    EXPECT_EQ(m_preferences.ReadNumber(Pref::WholeWord), 1u);

    Find("bank", false, false, false);
    EXPECT_EQ(Listed(), QStringList{"forum"});
    EXPECT_EQ(m_preferences.ReadNumber(Pref::WholeWord), 1u);

    ASSERT_TRUE(m_commands->Run(cmd::kFindAll));
    EXPECT_EQ(View().RowCount(), 3);
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kFindAll));

    ASSERT_TRUE(m_commands->Run(cmd::kSelectAll));
    EXPECT_EQ(View().SelectedRecords().size(), 3u);
}

TEST_F(FindPrint, NoPrintDisablesEveryPrintCommand) {
    const uint32_t printing[] = {cmd::kPrint, cmd::kPrintPreview, cmd::kPrintSetup};
    m_commands->UpdateEnabled();
    for (uint32_t id : printing)
        EXPECT_TRUE(m_commands->IsEnabled(id)) << id;
    m_store.WriteNumber("Preferences", "NoPrint", 0);
    m_commands->UpdateEnabled();
    for (uint32_t id : printing)
        EXPECT_FALSE(m_commands->IsEnabled(id)) << id;
}

// Nothing that shows records stays on the screen at the lock: a print preview is closed, whatever
// window it is.
TEST_F(FindPrint, TheLockClosesAPrintPreview) {
    bool previewShown = false;
    std::vector<QString> shownWhileLocked;
    m_lock->m_askUnlock = [&](CLockController::Reason) {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window != m_window.get())
                shownWhileLocked.push_back(window->metaObject()->className());
        return true;
    };
    test::OnNextDialog<QPrintPreviewDialog>([&](QPrintPreviewDialog&) {
        previewShown = true;
        m_lock->Lock(CLockController::Reason::Idle);
    });
    m_commands->Run(cmd::kPrintPreview);
    test::SettleLock(*m_lock);
    EXPECT_TRUE(previewShown);
    EXPECT_TRUE(shownWhileLocked.empty()) << shownWhileLocked.front().toStdString();
    EXPECT_FALSE(m_lock->IsLocked());
    EXPECT_EQ(View().RowCount(), 3);
}

TEST_F(FindPrint, PrintWritesTheFoundRowsAndNothingWhileLocked) {
    const QString pdf = QString::fromStdString((m_dir.Path() / "list.pdf").string());
    int dialogPages = 0;
    m_find->m_runPrintDialog = [&](QPrinter& printer, int pages) {
        dialogPages = pages;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    test::LockWhile(*m_lock, [&] { m_commands->Run(cmd::kPrint); });
    EXPECT_FALSE(QFile::exists(pdf));

    Find("forum", false, false);
    ASSERT_TRUE(m_commands->Run(cmd::kPrint));
    EXPECT_EQ(dialogPages, 1);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(4) == "%PDF");
    file.close();
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return;
    QProcess run;
    run.start(tool, {pdf, "-"});
    ASSERT_TRUE(run.waitForFinished(10000));
    const QString text = QString::fromUtf8(run.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Print Report for Ann")) << text.toStdString();
    EXPECT_TRUE(text.contains("forum"));
    EXPECT_TRUE(text.contains("****"));  // the masked password
    EXPECT_FALSE(text.contains("mail"));
    EXPECT_FALSE(text.contains("password pass"));
}

// The text of a PDF as pdftotext reads it; none when the tool is not installed.
std::optional<QString> PdfText(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty())
        return std::nullopt;
    QProcess run;
    run.start(tool, {"-layout", pdf, "-"});
    if (!run.waitForFinished(10000))
        return QString();
    return QString::fromUtf8(run.readAllStandardOutput());
}

TEST_F(FindPrint, PrintSelectionPrintsOnlyTheSelectedRowsInListOrder) {
    const QString pdf = QString::fromStdString((m_dir.Path() / "selection.pdf").string());
    QPrinter::PrintRange range = QPrinter::Selection;
    m_find->m_runPrintDialog = [&](QPrinter& printer, int) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPrintRange(range);
        return true;
    };
    // Selected bottom first: the report still follows the list (bank, forum, mail).
    std::vector<const CRecord*> chosen;
    for (const CRecord* record : View().ListModel().Rows())
        if (record->GetValue(0) != "forum")
            chosen.insert(chosen.begin(), record);
    View().SelectRecords(chosen);
    EXPECT_EQ(m_find->SelectedListRows(), (std::vector<size_t>{0, 2}));

    ASSERT_TRUE(m_commands->Run(cmd::kPrint));
    const std::optional<QString> text = PdfText(pdf);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(text->contains("Print Report for Ann")) << text->toStdString();
    EXPECT_TRUE(text->contains("bank"));
    EXPECT_TRUE(text->contains("mail"));
    EXPECT_FALSE(text->contains("forum")) << text->toStdString();
    EXPECT_LT(text->indexOf("bank"), text->indexOf("mail"));

    // "All" after a selection: every row again.
    range = QPrinter::AllPages;
    ASSERT_TRUE(m_commands->Run(cmd::kPrint));
    const std::optional<QString> all = PdfText(pdf);
    for (const char* value : {"bank", "forum", "mail"})
        EXPECT_TRUE(all->contains(value)) << value;

    // A selection that is empty by the time the dialog closes prints the header alone.
    range = QPrinter::Selection;
    View().ClearSelection();
    ASSERT_TRUE(m_commands->Run(cmd::kPrint));
    const std::optional<QString> none = PdfText(pdf);
    EXPECT_TRUE(none->contains("Print Report for Ann"));
    for (const char* value : {"bank", "forum", "mail"})
        EXPECT_FALSE(none->contains(value)) << value;
}

TEST_F(FindPrint, APrintedPdfIsPrivateAndReplacesALinkPlantedAtItsName) {
    const test::CUmask open(0);
    test::CTempDir elsewhere;
    const fs::path fresh = m_dir.Path() / "fresh.pdf";
    const fs::path linked = m_dir.Path() / "linked.pdf";
    const test::CPlantedLink planted(linked, elsewhere);
    for (const fs::path& path : {fresh, linked}) {
        m_find->m_runPrintDialog = [&](QPrinter& printer, int) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(path.string()));
            return true;
        };
        ASSERT_TRUE(m_commands->Run(cmd::kPrint));
        // The printer still names the user's file for the next print.
        EXPECT_EQ(m_find->Printer().outputFileName().toStdString(), path.string());
    }
    EXPECT_EQ(test::ModeAt(fresh), 0600);
    EXPECT_EQ(test::ReadFileBytes(fresh).size() > 4, true);
    planted.ExpectReplacedByPrivateFile();

    // A folder that cannot take it: said once, and nothing else is made.
    m_find->m_runPrintDialog = [&](QPrinter& printer, int) {
        printer.setOutputFileName(QString::fromStdString((m_dir.Path() / "none/x.pdf").string()));
        return true;
    };
    m_messages.shown.clear();
    ASSERT_TRUE(m_commands->Run(cmd::kPrint));
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kReportNotWritten});
}

}  // namespace
}  // namespace tessarin
