// The record view's commands: the shortcut menu and setting a type or category from it, Show
// Columns, the details pane, masking, the row colour and the font.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include "gui/view_fixture.h"
#include "render/list_font.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/show_columns_dialog.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class ViewCommands : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = test::AddLoginType(db);
            login->m_icon = 21;
            CTypeItem* bank = AddType(db, "Bank");
            bank->SetValue(0, "Description");
            bank->m_maskBits = 0b10;
            bank->m_icon = 1;
            AddCategory(db, "Home");
            AddCategory(db, "Work");
            AddRecord(db, login, nullptr, {"mail", "me", "secret"});
            CRecord* forum = AddRecord(db, login, nullptr, {"forum", "you", "pw"});
            forum->SetCustomLabelText(1, "Nick");
            AddRecord(db, bank, nullptr, {"savings", "1234"});
        });
    }
    CRecord* Record(const char* field1) {
        for (CRecord* record : View().ListModel().Rows())
            if (record->GetValue(0) == field1)
                return record;
        return nullptr;
    }
    static QMenu* Popup(QMenu* menu, const QString& title) {
        for (QAction* action : menu->actions())
            if (action->menu() && action->text() == title)
                return action->menu();
        return nullptr;
    }
    static QStringList Entries(QMenu* menu, bool markChecked = true) {
        QStringList entries;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                entries << (markChecked && action->isChecked() ? "*" : "") + action->text();
        return entries;
    }
    static QAction* Entry(QMenu* menu, const QString& text) {
        for (QAction* action : menu->actions())
            if (action->text() == text)
                return action;
        return nullptr;
    }
};

TEST_F(ViewCommands, ShortcutMenuBuildsItsPopupsEachTimeWithChecksForOneSelectedRecord) {
    OpenView();
    View().SelectRecords({Record("mail")});
    std::unique_ptr<QMenu> menu(View().BuildContextMenu(nullptr));
    EXPECT_EQ(Entries(Popup(menu.get(), "Type")),
              QStringList({"Unfiled", "Bank", "*Login", "Edit Types..."}));
    EXPECT_EQ(Entries(Popup(menu.get(), "Category")),
              QStringList({"*Unfiled", "Home", "Work", "Edit Categories..."}));
    EXPECT_TRUE(Entry(menu.get(), "&Edit Item...")->isEnabled() == false);  // no handler yet
    m_commands->SetHandler(cmd::kEditItem, [] {});
    m_commands->SetHandler(cmd::kDuplicateItem, [] {});
    m_commands->SetHandler(cmd::kCut, [] {});

    const struct {
        std::vector<const char*> selected;
        bool edit, cut;
    } cases[] = {{{"mail"}, true, true}, {{"mail", "forum"}, false, true}, {{}, false, false}};
    for (const auto& c : cases) {
        std::vector<const CRecord*> records;
        for (const char* name : c.selected)
            records.push_back(Record(name));
        View().SelectRecords(records);
        menu.reset(View().BuildContextMenu(nullptr));
        EXPECT_EQ(Entry(menu.get(), "&Edit Item...")->isEnabled(), c.edit) << c.selected.size();
        EXPECT_EQ(Entry(menu.get(), "Duplicate...")->isEnabled(), c.edit) << c.selected.size();
        EXPECT_EQ(Entry(menu.get(), "Cut")->isEnabled(), c.cut) << c.selected.size();
        if (c.selected.size() != 1) {
            EXPECT_EQ(Entries(Popup(menu.get(), "Type")),
                      QStringList({"Unfiled", "Bank", "Login", "Edit Types..."}));
        }
    }
    // A type added since the last menu is there the next time.
    CNoticeList notices;
    View().Database().AddFromColumns({"Cards", "x"}, "", 0, 0, {}, notices);
    menu.reset(View().BuildContextMenu(nullptr));
    EXPECT_EQ(Entries(Popup(menu.get(), "Type"), false),
              QStringList({"Unfiled", "Bank", "Cards", "Login", "Edit Types..."}));
}

TEST_F(ViewCommands, SettingTheTypeOfTheSelectionAppliesItSavesOnceAndKeepsTheRows) {
    m_platform.userActive = true;
    OpenView();
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    CRecord* mail = Record("mail");
    CRecord* forum = Record("forum");
    View().SelectRecords({mail, forum});
    m_poster.posted.clear();
    std::unique_ptr<QMenu> menu(View().BuildContextMenu(nullptr));
    Entry(Popup(menu.get(), "Type"), "Bank")->trigger();
    QCoreApplication::processEvents();
    for (CRecord* record : {mail, forum}) {
        EXPECT_EQ(View().Database().m_types.NameOf(record->GetTypeKey()), "Bank");
        EXPECT_EQ(record->m_icon, 1);
        EXPECT_EQ(record->m_maskBits, 0b10);
        EXPECT_TRUE(record->GetCustomLabel(1).empty());
        EXPECT_TRUE(record->m_modified);
    }
    EXPECT_TRUE(View().DatabaseChanged());
    ASSERT_EQ(m_poster.posted.size(), 2u);
    // In display order: "forum" before "mail".
    EXPECT_EQ(m_poster.posted[0],
              (CChangeNotice{kActionChanged, kKindRecord, forum->m_recordNumber}));
    // Still listed under the Login filter until the list is refilled.
    EXPECT_EQ(View().RowCount(), 2);
    CDatabaseObj reread(m_context);
    ASSERT_TRUE(Load(reread, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(reread.m_records.CountMatching(reread.FindTypeByName("Bank")->m_key, AnyKey), 3u);

    // The category; "Unfiled" of the Type popup takes the zero key, icon 24 and no mask.
    menu.reset(View().BuildContextMenu(nullptr));
    Entry(Popup(menu.get(), "Category"), "Work")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(View().Database().m_categories.NameOf(mail->m_categoryKey), "Work");
    m_commands->Run(cmd::kSetTypeUnfiled);
    EXPECT_TRUE(mail->GetTypeKey().IsZero());
    EXPECT_EQ(mail->m_icon, 24);
    EXPECT_EQ(mail->m_maskBits, 0);
    View().RefillList();
    EXPECT_EQ(View().RowCount(), 0);
}

TEST_F(ViewCommands, TypeAndCategoryEntriesAreTableCommandsNumberedByTheirPosition) {
    OpenView();
    View().SelectRecords({Record("mail")});
    std::vector<uint32_t> asked;
    bool allowed = false;
    m_commands->m_beforeRun = [&](uint32_t id) {
        asked.push_back(id);
        return allowed;
    };
    std::unique_ptr<QMenu> menu(View().BuildContextMenu(nullptr));
    // Stopped before it runs (the program had to lock first, say): nothing changes.
    Entry(Popup(menu.get(), "Type"), "Bank")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(View().Database().m_types.NameOf(Record("mail")->GetTypeKey()), "Login");
    allowed = true;
    Entry(Popup(menu.get(), "Type"), "Login")->trigger();
    Entry(Popup(menu.get(), "Category"), "Work")->trigger();
    Entry(Popup(menu.get(), "Type"), "Edit Types...")->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(asked, (std::vector<uint32_t>{cmd::kFirstType, cmd::kFirstType + 1,
                                            cmd::kFirstCategory + 1}));
    EXPECT_EQ(View().Database().m_categories.NameOf(Record("mail")->m_categoryKey), "Work");
}

TEST_F(ViewCommands, ShowColumnsRetitlesTheFieldBoxesAndAsksAboutAllViews) {
    OpenView();
    QStringList titles;
    View().m_runShowColumns = [&](CShowColumnsDialog& dialog) {
        titles.clear();
        for (int c = 1; c <= 9; ++c)
            titles << dialog.Box(c)->text();
        dialog.Box(kCategoryColumn)->setChecked(false);
        return true;
    };
    m_messages.yes = false;
    m_commands->Run(cmd::kShowColumns);
    EXPECT_EQ(titles, QStringList({"Show Type Column", "Show Category Column", "Show Column 1",
                                   "Show Column 2", "Show Column 3", "Show Column 4",
                                   "Show Column 5", "Show Column 6", "Show Note Column"}));
    EXPECT_EQ(m_messages.Ids(), std::vector<int>{str::kApplyColumnsToAllViews});
    EXPECT_EQ(m_messages.shown[0].buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_EQ(View().List()->Model().SectionOf(kCategoryColumn), -1);
    EXPECT_EQ(m_preferences.ReadColumns().entries[kCategoryColumn].visible, 0);
    EXPECT_EQ(View().Database().FindTypeByName("Login")->m_columns.entries[kCategoryColumn].visible,
              1);

    // Yes gives every type the layout, in the file.
    m_messages.yes = true;
    m_commands->Run(cmd::kShowColumns);
    CDatabaseObj reread(m_context);
    ASSERT_TRUE(Load(reread, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(reread.FindTypeByName("Login")->m_columns.entries[kCategoryColumn].visible, 0);

    // Under a type's filter the boxes carry its labels where it has them; nothing is asked.
    m_messages.shown.clear();
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    View().m_runShowColumns = [&](CShowColumnsDialog& dialog) {
        titles.clear();
        for (int c = 3; c <= 5; ++c)
            titles << dialog.Box(c)->text();
        dialog.Box(kFirstFieldColumn + 1)->setChecked(false);
        return true;
    };
    m_commands->Run(cmd::kShowColumns);
    EXPECT_EQ(titles, QStringList({"Show Site", "Show Column 2", "Show Password"}));
    EXPECT_TRUE(m_messages.shown.empty());
    EXPECT_EQ(
        View().Database().FindTypeByName("Login")->m_columns.entries[kFirstFieldColumn + 1].visible,
        0);
    EXPECT_EQ(m_preferences.ReadColumns().entries[kFirstFieldColumn + 1].visible, 1);
}

TEST_F(ViewCommands, DetailsAndMaskTogglesChangeTheirTexts) {
    OpenView(QSize(800, 500));
    QAction* details = m_commands->Action(cmd::kShowDetails);
    QAction* mask = m_commands->Action(cmd::kUnmask);
    EXPECT_EQ(details->text(), QStringLiteral("Hide Details"));
    EXPECT_EQ(mask->text(), QStringLiteral("Un&mask\tCtrl+M"));
    EXPECT_EQ(View().MaskButton()->text(), QStringLiteral("Unmask"));

    View().SelectRecords({Record("mail")});
    m_commands->Run(cmd::kShowDetails);
    EXPECT_FALSE(View().Pane()->isVisible());
    EXPECT_EQ(View().List()->geometry().width(), 790);
    EXPECT_EQ(details->text(), QStringLiteral("Show Details"));
    m_commands->Run(cmd::kShowDetails);
    EXPECT_TRUE(View().Pane()->isVisible());
    EXPECT_EQ(View().Pane()->Record(), Record("mail"));

    const auto shownPassword = [&] {
        for (const CDetailsPiece& piece : View().Pane()->Layout().pieces)
            if (piece.kind == CDetailsPiece::kValue &&
                (piece.text == "****" || piece.text == "secret"))
                return piece.text;
        return QString();
    };
    EXPECT_EQ(shownPassword(), QStringLiteral("****"));
    View().MaskButton()->click();
    EXPECT_EQ(View().MaskButton()->text(), QStringLiteral("Mask"));
    EXPECT_EQ(mask->text(), QStringLiteral("&Mask\tCtrl+M"));
    EXPECT_EQ(shownPassword(), QStringLiteral("secret"));
    EXPECT_TRUE(View().Unmasked());
    m_commands->Run(cmd::kUnmask);
    EXPECT_EQ(shownPassword(), QStringLiteral("****"));
}

TEST_F(ViewCommands, RowColourAndFontAreStoredAndComeBack) {
    OpenView();
    View().m_chooseColor = [](const QColor& current) {
        EXPECT_EQ(current, QColor(237, 243, 254));
        return std::optional<QColor>(QColor(10, 20, 30));
    };
    m_commands->Run(cmd::kRowColor);
    EXPECT_EQ(m_preferences.ReadWord(Pref::RowColor), 10u | 20u << 8 | 30u << 16);
    EXPECT_EQ(View().Style().rowColor, QColor(10, 20, 30));

    QFont chosen(View().ListFont());
    chosen.setPixelSize(19);
    chosen.setBold(true);
    chosen.setItalic(true);
    View().m_chooseFont = [&](const QFont&) { return std::optional<QFont>(chosen); };
    m_commands->Run(cmd::kSetFont);
    const std::optional<CLogFont> stored = m_preferences.ReadFont();
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->height, -19);
    EXPECT_EQ(stored->weight, 700);
    EXPECT_EQ(stored->italic, 1);
    EXPECT_EQ(QFontInfo(View().List()->font()).pixelSize(), 19);
    EXPECT_EQ(View().Style().fonts.rowHeight, QFontMetrics(chosen).height() + 4);

    CloseView();
    OpenView();
    EXPECT_EQ(View().Style().rowColor, QColor(10, 20, 30));
    EXPECT_EQ(QFontInfo(View().ListFont()).pixelSize(), 19);
    EXPECT_TRUE(View().ListFont().italic());
    // Cancelled dialogs change nothing.
    View().m_chooseColor = [](const QColor&) { return std::optional<QColor>(); };
    m_commands->Run(cmd::kRowColor);
    EXPECT_EQ(View().Style().rowColor, QColor(10, 20, 30));
}

}  // namespace
}  // namespace tessarin
