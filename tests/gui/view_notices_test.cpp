// How the record view follows the database file: notices of other processes, a file rewritten
// without one, the lock, and what the view keeps for the next start.
#include <gtest/gtest.h>

#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>

#include "gui/view_fixture.h"
#include "store/database_session.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::Items;

// Lets the event loop run until `done` holds; gives up after half a minute, however busy the
// machine.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 30000)
        QTest::qWait(20);
    return done();
}

class ViewNotices : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = AddType(db, "Login");
            AddType(db, "Bank");
            CCategoryItem* home = AddCategory(db, "Home");
            AddRecord(db, login, home, {"beta"});
            AddRecord(db, login, home, {"delta"});
        });
    }
    uint32_t NumberOf(const char* field1) {
        for (const CRecord* record : View().ListModel().Rows())
            if (record->GetValue(0) == field1)
                return record->m_recordNumber;
        return 0;
    }
    uint32_t TypeNumber(const char* name) {
        return View().Database().FindTypeByName(name)->m_recordNumber;
    }
};

TEST_F(ViewNotices, RecordNoticesAddRefreshAndRemoveRowsInPlace) {
    OpenView();
    View().SelectRecords({View().ListModel().RowAt(1)});  // delta
    uint32_t added = 0;
    ChangeFile([&](CDatabaseObj& db) {
        CNoticeList notices;
        added = db.AddFromColumns({"Login", "charlie"}, "Home", 3, 0, {}, notices)->m_recordNumber;
    });
    View().OnNotice({kActionAdded, kKindRecord, added});
    EXPECT_EQ(View().RowTexts(), QStringList({"beta", "charlie", "delta"}));
    EXPECT_EQ(View().RowTexts()[View().List()->currentIndex().row()], QStringLiteral("delta"));
    EXPECT_EQ(View().SelectedRecords().size(), 1u);

    const uint32_t delta = NumberOf("delta");
    ChangeFile([&](CDatabaseObj& db) {
        static_cast<CRecord*>(db.FindItem(kKindRecord, delta))->SetValue(0, "alpha");
    });
    View().OnNotice({kActionChanged, kKindRecord, delta});
    // Repainted where it stands; it stays selected.
    EXPECT_EQ(View().RowTexts(), QStringList({"beta", "charlie", "alpha"}));
    EXPECT_EQ(View().GetSelectedRecord()->GetValue(0), "alpha");

    const uint32_t beta = NumberOf("beta");
    ChangeFile([&](CDatabaseObj& db) { db.m_records.Remove(db.FindItem(kKindRecord, beta)); });
    View().OnNotice({kActionDeleted, kKindRecord, beta});
    EXPECT_EQ(View().RowTexts(), QStringList({"charlie", "alpha"}));
    // A notice about an item the file does not have changes nothing.
    View().OnNotice({kActionChanged, kKindRecord, 999});
    EXPECT_EQ(View().RowTexts(), QStringList({"charlie", "alpha"}));
}

TEST_F(ViewNotices, TypeAndCategoryNoticesKeepTheChoosersInOrder) {
    OpenView();
    uint32_t cards = 0;
    ChangeFile([&](CDatabaseObj& db) {
        CNoticeList notices;
        db.AddFromColumns({"Cards", "visa"}, "Work", 0, 0, {}, notices);
        cards = db.FindTypeByName("Cards")->m_recordNumber;
    });
    View().OnNotice({kActionAdded, kKindType, cards});
    EXPECT_EQ(Items(View().TypeCombo()),
              QStringList({"All Types", "Bank", "Cards", "Login", "Unfiled", "Edit Types..."}));

    // Renamed while chosen: it moves, stays chosen, and the list shows the new name.
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    const uint32_t login = TypeNumber("Login");
    ChangeFile([&](CDatabaseObj& db) {
        static_cast<CCategory*>(db.FindItem(kKindType, login))->SetName("Accounts");
    });
    View().OnNotice({kActionChanged, kKindType, login});
    EXPECT_EQ(Items(View().TypeCombo()),
              QStringList({"All Types", "Accounts", "Bank", "Cards", "Unfiled", "Edit Types..."}));
    EXPECT_EQ(View().TypeCombo()->currentText(), QStringLiteral("Accounts"));
    EXPECT_EQ(View().RowCount(), 2);

    // Deleted while chosen: "All Types" is chosen as if picked.
    ChangeFile([&](CDatabaseObj& db) { db.m_types.Remove(db.FindItem(kKindType, login)); });
    View().OnNotice({kActionDeleted, kKindType, login});
    EXPECT_EQ(View().TypeCombo()->currentIndex(), 0);
    EXPECT_EQ(View().TypeFilter(), AnyKey);
    EXPECT_EQ(View().RowCount(), 2);
    EXPECT_EQ(View().List()->Model().index(0, 1).data().toString(), QStringLiteral("Unfiled"));
}

TEST_F(ViewNotices, TypeAndCategoryChangesKeepTheNarrowingTheSelectionThePaneAndTheWidths) {
    OpenView();
    View().RefillFiltered("beta", false, false);
    ASSERT_EQ(View().RowCount(), 1);
    const CRecord* beta = View().ListModel().Rows()[0];
    View().SelectRecords({beta});
    ASSERT_EQ(View().Pane()->Record(), beta);
    QHeaderView* header = View().List()->horizontalHeader();
    header->resizeSection(2, 217);

    {
        // A type added, the record's own type renamed, its category renamed: one change.
        CDatabaseObj& db = View().Database();
        CDatabaseSession::CChange change(View().Session());
        std::unique_ptr<CBaseItem> cards = db.m_types.CreateItem();
        static_cast<CCategory&>(*cards).SetName("Cards");
        change.AddItem(kKindType, std::move(cards));
        CBaseItem* login = db.FindTypeByName("Login");
        static_cast<CCategory*>(login)->SetName("Accounts");
        change.ItemChanged(kKindType, *login);
        CBaseItem& home = *db.m_categories.Items().front();
        ASSERT_EQ(home.GetName(), "Home");
        static_cast<CCategory&>(home).SetName("House");
        change.ItemChanged(kKindCategory, home);
        ASSERT_TRUE(change.Commit().Ok());
    }

    EXPECT_EQ(Items(View().TypeCombo()),
              QStringList({"All Types", "Accounts", "Bank", "Cards", "Unfiled", "Edit Types..."}));
    EXPECT_TRUE(View().IsNarrowed());
    EXPECT_EQ(View().RowCount(), 1);
    EXPECT_EQ(View().GetSelectedRecord(), beta);
    EXPECT_EQ(View().Pane()->Record(), beta);
    EXPECT_EQ(header->sectionSize(2), 217);
    EXPECT_EQ(View().List()->Model().index(0, 1).data().toString(), QStringLiteral("Accounts"));
    EXPECT_EQ(View().List()->Model().index(0, 2).data().toString(), QStringLiteral("House"));
}

TEST_F(ViewNotices, WhileLockedOrBusyNoticesWait) {
    OpenView();
    // While locked nothing is in memory: a notice changes nothing, and the unlock reads the file
    // with what it said.
    ChangeFile([&](CDatabaseObj& db) {
        CNoticeList notices;
        db.AddFromColumns({"Login", "while locked"}, "Home", 3, 0, {}, notices);
    });
    test::LockWhile(*m_lock, [&] {
        View().OnNotice({kActionReloadAll, 0, 0});
        EXPECT_EQ(View().RowCount(), 0);
        EXPECT_EQ(View().Database().m_records.Size(), 0u);
    });
    EXPECT_EQ(View().RowCount(), 3);

    // A dialog is open: the notice is acted on once it has closed.
    QDialog dialog(m_window.get());
    dialog.setModal(true);
    dialog.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &dialog);
    uint32_t added = 0;
    ChangeFile([&](CDatabaseObj& db) {
        CNoticeList notices;
        added = db.AddFromColumns({"Login", "omega"}, "Home", 3, 0, {}, notices)->m_recordNumber;
    });
    View().OnNotice({kActionAdded, kKindRecord, added});
    QTest::qWait(300);
    EXPECT_EQ(View().RowCount(), 3);
    dialog.close();
    EXPECT_TRUE(WaitFor([&] { return View().RowCount() == 4; }));
}

TEST_F(ViewNotices, AFileRewrittenElsewhereIsReadAgainKeepingFiltersAndSelection) {
    OpenView();
    View().SelectCategoryEntry(View().CategoryCombo()->findText("Home"));
    View().SelectRecords({View().ListModel().RowAt(1)});  // delta
    // This program's own saves are not someone else's.
    const CRecord* before = View().ListModel().RowAt(0);
    ASSERT_TRUE(View().SaveNow());
    QTest::qWait(600);
    EXPECT_EQ(View().ListModel().RowAt(0), before);

    ChangeFile([](CDatabaseObj& db) {
        CNoticeList notices;
        db.AddFromColumns({"Login", "gamma"}, "Home", 3, 0, {}, notices);
    });
    ASSERT_TRUE(WaitFor([&] { return View().RowCount() == 3; }));
    EXPECT_EQ(View().RowTexts(), QStringList({"beta", "delta", "gamma"}));
    EXPECT_EQ(View().CategoryCombo()->currentText(), QStringLiteral("Home"));
    ASSERT_NE(View().GetSelectedRecord(), nullptr);
    EXPECT_EQ(View().GetSelectedRecord()->GetValue(0), "delta");

    // While locked nothing is read; the unlock reads the file as it is then.
    test::LockWhile(*m_lock, [&] {
        ChangeFile([](CDatabaseObj& db) {
            CNoticeList notices;
            db.AddFromColumns({"Login", "epsilon"}, "Home", 3, 0, {}, notices);
        });
        QTest::qWait(600);
        EXPECT_EQ(View().RowCount(), 0);
    });
    EXPECT_TRUE(View().RowTexts().contains("epsilon"));
}

TEST_F(ViewNotices, ClosingKeepsTheViewsSettingsForTheNextStart) {
    OpenView(QSize(900, 500));
    View().SortByColumn(kFirstFieldColumn);
    View().SortByColumn(kFirstFieldColumn);
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    View().SelectCategoryEntry(View().CategoryCombo()->findText("Home"));
    View().DragSplitterTo(600);
    View().ToggleDetails();
    const ItemKey login = View().TypeFilter();
    CloseView();
    EXPECT_EQ(m_preferences.ReadWord(Pref::SortInfo), static_cast<uint32_t>(kFirstFieldColumn));
    EXPECT_EQ(m_preferences.ReadNumber(Pref::ShowingDetails), 0u);
    EXPECT_EQ(m_preferences.ReadNumber(Pref::DetailsPaneWidth), 300u);
    EXPECT_EQ(m_preferences.ReadKey(Pref::CurrentType), login);

    OpenView(QSize(900, 500));
    EXPECT_EQ(View().ListModel().Sort(), (CSortSetting{kFirstFieldColumn, false}));
    EXPECT_EQ(View().TypeCombo()->currentText(), QStringLiteral("Login"));
    EXPECT_EQ(View().CategoryCombo()->currentText(), QStringLiteral("Home"));
    EXPECT_FALSE(View().ShowingDetails());
    EXPECT_EQ(View().PaneWidth(), 300);
    EXPECT_EQ(View().RowTexts(), QStringList({"delta", "beta"}));
    // The first row starts selected and current.
    EXPECT_EQ(View().GetSelectedRecord(), View().ListModel().RowAt(0));
}

}  // namespace
}  // namespace tessarin
