// The strips around the record list: the type and category choosers, the buttons, where
// everything stands, and what the controls are called for screen readers.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/view_geometry.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::Items;

class FilterStrip : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([this](CDatabaseObj& db) {
            CTypeItem* login = AddType(db, "login");
            login->SetValue(0, "Site");
            CTypeItem* bank = AddType(db, "Bank");
            AddType(db, "Zoo");
            AddType(db, "Gone")->m_deleted = true;
            CCategoryItem* home = AddCategory(db, "home");
            AddCategory(db, "Business");
            AddRecord(db, login, home, {"mail"});
            AddRecord(db, login, nullptr, {"forum"});
            AddRecord(db, bank, home, {"savings"});
            AddRecord(db, nullptr, home, {"loose"});
            m_login = login->m_key;
            m_home = home->m_key;
            for (const auto& item : db.m_types.Items())
                if (item->m_deleted)
                    m_gone = item->m_key;
        });
    }
    QStringList Rows() { return View().RowTexts(); }

    ItemKey m_login, m_home, m_gone;
};

TEST_F(FilterStrip, ChoosersListTheLiveItemsByNameBetweenTheirFixedEntries) {
    OpenView();
    EXPECT_EQ(Items(View().TypeCombo()),
              QStringList({"All Types", "Bank", "login", "Zoo", "Unfiled", "Edit Types..."}));
    EXPECT_EQ(Items(View().CategoryCombo()),
              QStringList({"All Categories", "Business", "home", "Unfiled", "Edit Categories..."}));
    EXPECT_EQ(View().TypeCombo()->currentIndex(), 0);
    EXPECT_EQ(Rows().size(), 4);
}

TEST_F(FilterStrip, PickedEntriesFilterTheListAndTheEditEntriesOnlyRunTheirCommand) {
    OpenView();
    int editTypes = 0, editCategories = 0;
    m_commands->SetHandler(cmd::kEditTypes, [&] { ++editTypes; });
    m_commands->SetHandler(cmd::kEditCategories, [&] { ++editCategories; });
    CFilterCombo* types = View().TypeCombo();
    CFilterCombo* categories = View().CategoryCombo();

    View().SelectTypeEntry(types->findText("login"));
    EXPECT_EQ(Rows(), QStringList({"mail", "forum"}));  // "home" before "Unfiled"
    // The field columns carry the type's labels.
    EXPECT_EQ(View()
                  .List()
                  ->Model()
                  .headerData(View().List()->Model().SectionOf(3), Qt::Horizontal)
                  .toString(),
              QStringLiteral("Site"));
    View().SelectCategoryEntry(categories->findText("home"));
    EXPECT_EQ(Rows(), QStringList({"mail"}));
    View().SelectTypeEntry(types->findText("Unfiled"));
    EXPECT_EQ(Rows(), QStringList({"loose"}));
    View().SelectCategoryEntry(categories->findText("Unfiled"));
    EXPECT_EQ(Rows(), QStringList());

    View().SelectTypeEntry(types->findText("login"));
    View().SelectCategoryEntry(0);
    const QStringList before = Rows();
    View().SelectTypeEntry(types->findText("Edit Types..."));
    EXPECT_EQ(editTypes, 1);
    EXPECT_EQ(types->currentText(), QStringLiteral("login"));
    View().SelectCategoryEntry(categories->findText("Edit Categories..."));
    EXPECT_EQ(editCategories, 1);
    EXPECT_EQ(categories->currentText(), QStringLiteral("All Categories"));
    EXPECT_EQ(Rows(), before);
}

TEST_F(FilterStrip, StoredFiltersAreKeptOnlyWhileTheyNameAnItem) {
    const struct {
        ItemKey type, category;
        QString typeShown, categoryShown;
    } cases[] = {
        {m_login, m_home, "login", "home"},
        {m_gone, m_home, "All Types", "home"},              // a deleted type still counts
        {ZeroKey, ZeroKey, "All Types", "All Categories"},  // Unfiled is not kept
        {ItemKey{{9, 9, 9, 9, 9, 9, 9, 9}}, EditListKey, "All Types", "All Categories"},
    };
    for (const auto& c : cases) {
        m_preferences.WriteKey(Pref::CurrentType, c.type);
        m_preferences.WriteKey(Pref::CurrentCategoryId, c.category);
        OpenView();
        EXPECT_EQ(View().TypeFilter(), c.type == m_gone || c.type == m_login ? c.type : AnyKey);
        if (c.type != m_gone) {
            EXPECT_EQ(View().TypeCombo()->currentText(), c.typeShown) << c.type.Hex();
        }
        EXPECT_EQ(View().CategoryCombo()->currentText(), c.categoryShown) << c.type.Hex();
        CloseView();
    }
}

TEST_F(FilterStrip, ControlsStandWhereTheLayoutSaysAndCarryTheirNames) {
    const CViewGeometry g = ViewGeometry(QSize(800, 600), 250, true, 22);
    EXPECT_EQ(g.typesLabel, QRect(7, 8, 35, 16));
    EXPECT_EQ(g.typeCombo, QRect(46, 4, 140, 22));
    EXPECT_EQ(g.categoryLabel, QRect(200, 8, 50, 16));
    EXPECT_EQ(g.categoryCombo, QRect(254, 4, 140, 22));
    EXPECT_EQ(g.maskButton, QRect(717, 3, 80, 22));
    EXPECT_EQ(g.list, QRect(5, 30, 545, 540));
    EXPECT_EQ(g.pane, QRect(550, 29, 250, 542));
    EXPECT_EQ(g.newButton, QRect(3, 575, 60, 22));
    EXPECT_EQ(g.editButton, QRect(67, 575, 65, 22));
    EXPECT_EQ(g.deleteButton, QRect(136, 575, 60, 22));
    EXPECT_EQ(g.duplicateButton, QRect(200, 575, 90, 22));
    EXPECT_EQ(g.syncButton, QRect(735, 575, 60, 22));
    EXPECT_EQ(ViewGeometry(QSize(800, 600), 250, false, 22).list, QRect(5, 30, 790, 540));
    // A stored width the window cannot hold keeps the grip within reach.
    EXPECT_EQ(ViewGeometry(QSize(800, 600), 5000, true, 22).pane.left(), 151);
    EXPECT_EQ(ViewGeometry(QSize(800, 600), -7, true, 22).pane.width(), 31);
    // A label whose text needs more room moves what follows it.
    const CViewGeometry wide = ViewGeometry(QSize(800, 600), 250, true, 22, 60, 80);
    EXPECT_EQ(wide.typesLabel, QRect(7, 8, 60, 16));
    EXPECT_EQ(wide.typeCombo.left(), 71);
    EXPECT_EQ(wide.categoryLabel, QRect(225, 8, 80, 16));
    EXPECT_EQ(wide.categoryCombo.left(), 309);

    OpenView(QSize(800, 600));
    m_window->show();
    EXPECT_EQ(View().List()->geometry(), View().Geometry().list);
    EXPECT_EQ(View().List()->accessibleName(), QStringLiteral("Records"));
    EXPECT_EQ(View().TypeCombo()->accessibleName(), QStringLiteral("Types"));
    EXPECT_EQ(View().CategoryCombo()->accessibleName(), QStringLiteral("Category"));
    QStringList buttons;
    for (QPushButton* button : View().findChildren<QPushButton*>())
        if (button->isVisible())
            buttons << button->text();
    buttons.sort();
    EXPECT_EQ(buttons, QStringList({"Delete...", "Duplicate...", "Edit...", "New...", "Unmask"}));
    // The strips' font is at most 12 pixels high; the background is the button face.
    for (QLabel* label : View().findChildren<QLabel*>())
        EXPECT_LE(QFontInfo(label->font()).pixelSize(), 12);
    EXPECT_EQ(View().backgroundRole(), QPalette::Button);

    int syncs = 0;
    m_commands->SetHandler(cmd::kSync, [&] { ++syncs; });
    View().SetSyncButtonShown(true);
    for (QPushButton* button : View().findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("Sync")) {
            EXPECT_TRUE(button->isVisible());
            EXPECT_EQ(button->geometry(), QRect(735, 575, 60, 22));
            button->click();
        }
    EXPECT_EQ(syncs, 1);
}

}  // namespace
}  // namespace tessarin
