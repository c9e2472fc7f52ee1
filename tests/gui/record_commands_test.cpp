// The record commands on the view as it stands: enable rules, deleting from the list, Customize
// Fields, and the lock's hook while a record dialog is open.
#include <QMessageBox>
#include <QWidget>

#include "gui/record_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "ui/command_table.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/desktop_view.h"
#include "ui/detail_view_dialog.h"
#include "ui/generate_password_dialog.h"
#include "ui/lock_controller.h"
#include "ui/message_box.h"
#include "ui/record_commands.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

class RecordCommandsTest : public test::RecordFixture {
protected:
    RecordCommandsTest() {
        CRecord* second = test::AddRecord(database, bank, nullptr, {"bank.example"});
        CRecord* third = test::AddRecord(database, nullptr, nullptr, {"third"});
        EXPECT_TRUE(Save(database).Ok());
        numbers = {mail->m_recordNumber, second->m_recordNumber, third->m_recordNumber};
        EXPECT_TRUE(view->OpenDatabase(folder.Path().string()));
        // As in the program: the view tells the table its selection.
        view->AttachCommands(table);
        commands = new CRecordCommands(context, preferences, *view, table, &window);
        QObject::connect(commands, &CRecordCommands::activity, [this] { ++restarts; });
        lock.SetMainWindow(&window);
        view->SetLockController(&lock);
    }
    // Selects the rows of the records made first, second and third (the list sorts them its own
    // way).
    void Select(std::initializer_list<int> made) {
        std::vector<const CRecord*> records;
        for (int n : made)
            records.push_back(static_cast<const CRecord*>(
                view->Database().m_records.FindByNumber(numbers[static_cast<size_t>(n)])));
        view->ClearSelection();
        view->SelectRecords(records);
        table.UpdateEnabled();
    }

    QWidget window;
    CTessarinDesktopView* view = new CTessarinDesktopView(context, preferences, &window);
    CCommandTable table{context.Strings(), &window};
    CRecordCommands* commands;
    CLockController lock{view->Session()};
    std::vector<uint32_t> numbers;
    int restarts = 0;
};

TEST_F(RecordCommandsTest, EnableRulesFollowTheSelection) {
    struct Case {
        std::initializer_list<int> rows;
        bool single;
        bool any;
    } cases[] = {{{}, false, false}, {{1}, true, true}, {{0, 2}, false, true}};
    for (const Case& c : cases) {
        Select(c.rows);
        for (uint32_t id : {cmd::kEditItem, cmd::kDuplicateItem, cmd::kCustomizeFields})
            EXPECT_EQ(table.IsEnabled(id), c.single) << id;
        EXPECT_EQ(table.IsEnabled(cmd::kDeleteItem), c.any);
        EXPECT_TRUE(table.IsEnabled(cmd::kNewItem));
        EXPECT_TRUE(table.IsEnabled(cmd::kEditTypes));
        EXPECT_TRUE(table.IsEnabled(cmd::kEditCategories));
    }
}

TEST_F(RecordCommandsTest, DeleteFromTheListAsksOnceDeletesLastToFirstAndSavesOnce) {
    Select({0, 2});
    messages.yes = false;
    commands->DeleteItems();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].id, str::kDeleteItemsConfirm);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(view->RowTexts().size(), 3);
    // Last to first as the list shows them.
    CNoticeList expected;
    for (const CRecord* record : view->SelectedRecords())
        expected.insert(expected.begin(), {kActionDeleted, kKindRecord, record->m_recordNumber});
    ASSERT_EQ(expected.size(), 2u);
    messages.yes = true;
    commands->DeleteItems();
    EXPECT_EQ(poster.posted, expected);
    EXPECT_EQ(view->RowTexts(), QStringList({"bank.example"}));

    EXPECT_EQ(FirstValues(*Reloaded()), std::vector<std::string>{"bank.example"});
    EXPECT_TRUE(view->DatabaseChanged());
}

TEST_F(RecordCommandsTest, ALockWhileTheQuestionIsOpenStopsTheDeletion) {
    // The lock comes while the question waits for its answer: it closes the question, whose answer
    // is then No, and nothing is deleted.
    CMessageBoxSink boxes(context.Strings());
    boxes.SetParent(&window);
    context.SetMessages(&boxes);
    bool asked = false;
    test::OnNextDialog<QMessageBox>([&](QMessageBox&) {
        asked = true;
        lock.Lock(CLockController::Reason::Idle);
    });
    Select({0});
    commands->DeleteItems();
    test::SettleLock(lock);
    EXPECT_TRUE(asked);
    EXPECT_EQ(view->RowTexts().size(), 3);
    EXPECT_EQ(FirstValues(*Reloaded()).size(), 3u);
    EXPECT_TRUE(poster.posted.empty());
    context.SetMessages(&messages);
}

TEST_F(RecordCommandsTest, CustomizeFieldsStoresAllSixLabelsAndTheMaskAndSavesThem) {
    Select({0});
    test::OnNextDialog<CCustomizeRecordDialog>([](CCustomizeRecordDialog& dialog) {
        dialog.findChildren<CCp1252LineEdit*>()[1]->setText("Login");
        dialog.accept();
    });
    commands->CustomizeFields();
    const CRecord* record = view->Database().RecordAt(0);
    EXPECT_EQ(record->GetCustomLabel(0), "Site");  // equal to the type's, stored as it stands
    EXPECT_EQ(record->GetCustomLabel(1), "Login");
    EXPECT_EQ(record->m_maskBits, 0x04);
    EXPECT_TRUE(record->m_modified);
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionChanged, kKindRecord, numbers[0]}}));
    // Saved at once: the notice names a change the file holds.
    EXPECT_EQ(Reloaded()->RecordAt(0)->GetCustomLabel(1), "Login");
    EXPECT_TRUE(view->DatabaseChanged());
}

TEST_F(RecordCommandsTest, ALockStoresTheOpenRecordDialogsEditsAsIfOkWasPressed) {
    Select({1});
    test::OnNextDialog<CDetailViewDialog>([&](CDetailViewDialog& dialog) {
        dialog.FieldEdit(1)->setText("locked in");
        lock.Lock(CLockController::Reason::Idle);
    });
    commands->EditItem();
    test::SettleLock(lock);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_GT(restarts, 0);
    EXPECT_EQ(Reloaded()->RecordAt(1)->GetValue(1), "locked in");
}

// A dialog opened over the record dialog closes first; the record dialog's edits are stored; the
// password is asked only once both have returned.
TEST_F(RecordCommandsTest, ALockClosesNestedDialogsFirstAndAsksOnceTheyHaveReturned) {
    Select({1});
    int stillOpen = -1;
    lock.m_askUnlock = [&](CLockController::Reason) {
        stillOpen = 0;
        for (QWidget* shown : QApplication::topLevelWidgets())
            stillOpen += shown->isVisible() && shown != &window;
        return true;
    };
    test::OnNextDialog<CDetailViewDialog>([&](CDetailViewDialog& dialog) {
        dialog.FieldEdit(1)->setText("stored under the generator");
        test::OnNextDialog<CGeneratePasswordDialog>(
            [&](CGeneratePasswordDialog&) { lock.Lock(CLockController::Reason::Idle); });
        dialog.GeneratePassword();
    });
    commands->EditItem();
    test::SettleLock(lock);
    EXPECT_EQ(stillOpen, 0);
    EXPECT_FALSE(lock.IsLocked());
    EXPECT_EQ(Reloaded()->RecordAt(1)->GetValue(1), "stored under the generator");
}

}  // namespace
}  // namespace tessarin
