// The record commands on the view as it stands: enable rules, deleting from the list, Customize
// Fields, and the lock's hook while a record dialog is open.
#include <QWidget>

#include "gui/record_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "ui/command_table.h"
#include "ui/cp1252_edits.h"
#include "ui/customize_record_dialog.h"
#include "ui/desktop_view.h"
#include "ui/detail_view_dialog.h"
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
        commands = new CRecordCommands(
            context, preferences, *view, table, &window,
            {[this] { ++restarts; },
             [this](std::function<void()> store) { storeOpenEdits = std::move(store); }});
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
    std::function<void()> storeOpenEdits;
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
    // The lock comes while the question waits for its answer; the unlock may read the records
    // anew, so the rows chosen before it are not deleted.
    class CLockingMessages : public test::CAnsweringMessages {
    public:
        MessageAnswer Show(const CMessage& message) override {
            if (lock)
                lock();
            return CAnsweringMessages::Show(message);
        }
        std::function<void()> lock;
    } locking;
    locking.lock = [this] {
        ASSERT_TRUE(storeOpenEdits);
        storeOpenEdits();
    };
    context.SetMessages(&locking);
    Select({0});
    commands->DeleteItems();
    EXPECT_EQ(locking.Ids(), std::vector<int>{str::kDeleteItemsConfirm});
    EXPECT_EQ(view->RowTexts().size(), 3);
    EXPECT_EQ(FirstValues(*Reloaded()).size(), 3u);
    EXPECT_TRUE(poster.posted.empty());
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

TEST_F(RecordCommandsTest, TheLocksHookIsSetWhileTheRecordDialogIsOpenAndStoresItsEdits) {
    Select({1});
    bool hookWhileOpen = false;
    test::OnNextDialog<CDetailViewDialog>([&](CDetailViewDialog& dialog) {
        hookWhileOpen = static_cast<bool>(storeOpenEdits);
        dialog.FieldEdit(1)->setText("locked in");
        storeOpenEdits();  // the lock
    });
    commands->EditItem();
    EXPECT_TRUE(hookWhileOpen);
    EXPECT_FALSE(storeOpenEdits);
    EXPECT_EQ(commands->OpenRecordDialog(), nullptr);
    EXPECT_GT(restarts, 0);
    EXPECT_EQ(Reloaded()->RecordAt(1)->GetValue(1), "locked in");
}

TEST_F(RecordCommandsTest, NewItemAddsARowAndTheFileHasTheRecord) {
    test::OnNextDialog<CDetailViewDialog>([](CDetailViewDialog& dialog) {
        dialog.FieldEdit(0)->setText("fresh");
        dialog.accept();
    });
    ASSERT_TRUE(table.Run(cmd::kNewItem));
    EXPECT_TRUE(view->RowTexts().contains("fresh"));
    EXPECT_EQ(FirstValues(*Reloaded()).back(), "fresh");
}

}  // namespace
}  // namespace tessarin
