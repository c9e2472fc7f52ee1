// The file commands' own dialogs as the user meets them: the save dialog and its question about
// a file that is there, and the password of an import file.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "exchange/exchange_writer.h"
#include "exchange/import_file.h"
#include "gui/shell_fixture.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "ui/file_commands.h"
#include "ui/file_dialogs.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

// Plays the user at each modal dialog in turn: each step gets the dialog once it is up.
class CUser {
public:
    explicit CUser(std::deque<std::function<void(QWidget&)>> steps) : m_steps(std::move(steps)) {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            // A dialog asked again is the same widget shown anew: each showing is a step. A step
            // is done once its dialog has closed (a file dialog still reading its folder may
            // take its name again).
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || !dialog->isVisible() || m_steps.empty())
                return;
            m_steps.front()(*dialog);
            if (!dialog->isVisible())
                m_steps.pop_front();
        });
        m_timer.start();
    }
    bool Done() const { return m_steps.empty(); }

private:
    std::deque<std::function<void(QWidget&)>> m_steps;
    QTimer m_timer;
};

class FilePrompts : public ::testing::Test {
protected:
    FilePrompts() : m_prompts(MakeDialogFilePrompts(m_context.Strings(), m_messages, nullptr)) {
        m_context.SetMessages(&m_messages);
    }
    test::CTestContext m_context;
    test::CAnsweringMessages m_messages;
    std::unique_ptr<IFilePrompts> m_prompts;
    test::CTempDir m_dir;
};

// Types a name into the save dialog and saves.
std::function<void(QWidget&)> Save(const fs::path& path) {
    return [path](QWidget& widget) {
        auto& dialog = dynamic_cast<QFileDialog&>(widget);
        // Typed into the name field, as the user would (selectFile gives way to the folder's
        // loading when it ends later).
        dialog.setDirectory(QString::fromStdString(path.parent_path().string()));
        dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QString::fromStdString(path.filename().string()));
        QMetaObject::invokeMethod(&dialog, "accept");
    };
}

std::function<void(QWidget&)> Cancel() {
    return [](QWidget& dialog) { dynamic_cast<QDialog&>(dialog).reject(); };
}

TEST_F(FilePrompts, ANameThatGetsItsExtensionAfterTheDialogIsAskedAboutWhenTheFileIsThere) {
    test::WriteFileBytes(m_dir / "list.csv", {'x'});
    const std::string typed = (m_dir / "list").string();
    // No: back to the dialog, which the user then cancels.
    m_messages.yes = false;
    {
        const CUser user({Save(typed), Cancel()});
        EXPECT_EQ(
            m_prompts->SaveFile(str::kExportTitle, str::kCsvSaveFilter, m_dir.Path().string()),
            std::nullopt);
        EXPECT_TRUE(user.Done());
    }
    ASSERT_EQ(m_messages.shown.size(), 1u);
    EXPECT_EQ(m_messages.shown[0].id, str::kReplaceExistingFile);
    EXPECT_EQ(m_messages.shown[0].args, std::vector<std::string>{"list.csv"});
    EXPECT_EQ(m_messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    // Yes: that file it is.
    m_messages.yes = true;
    m_messages.shown.clear();
    {
        const CUser user({Save(typed)});
        EXPECT_EQ(
            m_prompts->SaveFile(str::kExportTitle, str::kCsvSaveFilter, m_dir.Path().string()),
            (m_dir / "list.csv").string());
    }
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kReplaceExistingFile});
    // A link at the name counts as a file there, even one that leads nowhere; a new name is not
    // asked about.
    fs::create_symlink(m_dir / "nowhere", m_dir / "linked.csv");
    m_messages.shown.clear();
    {
        const CUser user({Save(m_dir / "linked"), Save(m_dir / "new")});
        m_messages.yes = false;
        EXPECT_EQ(
            m_prompts->SaveFile(str::kExportTitle, str::kCsvSaveFilter, m_dir.Path().string()),
            (m_dir / "new.csv").string());
    }
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kReplaceExistingFile});
}

TEST(SavePath, TheChosenFiltersExtensionIsAddedToANameWithoutOne) {
    EXPECT_EQ(SavePathWithExtension("/a/list", "CSV Files (*.csv)"), "/a/list.csv");
    EXPECT_EQ(SavePathWithExtension("/a/list.txt", "CSV Files (*.csv)"), "/a/list.txt");
    EXPECT_EQ(SavePathWithExtension("/a/list", "All Files (*)"), "/a/list");
    EXPECT_EQ(SavePathWithExtension("/a/list", "Text (*.txt *.text)"), "/a/list.txt");
}

// Types a password into the import password dialog, after noting what the field held.
std::function<void(QWidget&)> TypePassword(const QString& password, QStringList& found) {
    return [password, &found](QWidget& dialog) {
        auto* field = dialog.findChild<QLineEdit*>();
        found << field->text();
        field->setText(password);
        dynamic_cast<QDialog&>(dialog).accept();
    };
}

TEST_F(FilePrompts, TheImportPasswordDialogNeverStartsWithTheLastFilesPassword) {
    CDatabaseObj db(m_context);
    test::AddRecord(db, nullptr, nullptr, {"one"});
    const auto vex = [&](const char* password) {
        return BuildVexText(db, LiveRecords(db), MakeKeySchedule(CSecret(password)).get());
    };
    const std::string first = vex("first pw"), second = vex("second pw");
    IFilePasswordPrompt& prompt = m_prompts->ImportPassword();
    QStringList found;
    {
        // A wrong password is asked again with what was typed still there (selected).
        const CUser user({TypePassword("wrong", found), TypePassword("first pw", found)});
        EXPECT_TRUE(FindFileKey(m_context, ExchangeFormat::Vex2, first, prompt).key);
    }
    {
        const CUser user({TypePassword("second pw", found)});
        EXPECT_TRUE(FindFileKey(m_context, ExchangeFormat::Vex2, second, prompt).key);
    }
    {
        const CUser user({TypePassword("", found), Cancel()});
        EXPECT_FALSE(FindFileKey(m_context, ExchangeFormat::Vex2, first, prompt).key);
    }
    {
        const CUser user({TypePassword("first pw", found)});
        EXPECT_TRUE(FindFileKey(m_context, ExchangeFormat::Vex2, first, prompt).key);
    }
    EXPECT_EQ(found, (QStringList{"", "wrong", "", "", ""}));
}

}  // namespace
}  // namespace tessarin
