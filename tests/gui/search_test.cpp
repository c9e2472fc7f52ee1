// The search field above the list: narrowing while typing, with the choosers, Escape, the
// selection it gives back, its key, the lock; and the counts the status bar shows.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class SearchField : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = test::AddLoginType(db);
            CTypeItem* bank = AddType(db, "Bank");
            CCategoryItem* home = AddCategory(db, "Home");
            AddRecord(db, login, home, {"mail", "me", "hunter2"});
            AddRecord(db, login, nullptr, {"forum", "you", "pw"}, "R\xE9sum\xE9 notes");
            AddRecord(db, bank, home, {"savings", "1234"});
            AddRecord(db, bank, nullptr, {"loan", "99"});
        });
    }
    QLineEdit& Field() { return *View().SearchField(); }
    // Field 1 of the listed rows, in list order.
    QStringList Rows() {
        QStringList rows;
        for (const CRecord* record : View().ListModel().Rows())
            rows << QString::fromLatin1(record->GetValue(0));
        return rows;
    }
    QStringList Selected() {
        QStringList names;
        for (const CRecord* record : View().SelectedRecords())
            names << QString::fromLatin1(record->GetValue(0));
        return names;
    }
    const CRecord* Record(const char* field1) {
        for (const auto& item : View().Database().m_records.Items())
            if (item->GetValue(0) == field1)
                return static_cast<const CRecord*>(item.get());
        return nullptr;
    }
    void Type(const QString& text) {
        Field().setFocus();
        QTest::keyClicks(&Field(), text);
    }
};

TEST_F(SearchField, NarrowsWhileTypingWithTheChoosersAndEscapeBringsBackTheListAndSelection) {
    OpenView();
    QApplication::setActiveWindow(m_window.get());
    EXPECT_EQ(Field().accessibleName(), "Search");
    EXPECT_EQ(Field().placeholderText(), "Search names, fields and notes");
    EXPECT_TRUE(Field().isVisible());
    QSignalSpy counts(&View(), &CTessarinDesktopView::countsChanged);
    View().SelectRecords({Record("forum")});

    Type("ban");  // the type's name
    EXPECT_EQ(Rows(), QStringList({"savings", "loan"}));
    ASSERT_FALSE(counts.isEmpty());
    EXPECT_EQ(counts.last(), QVariantList({2, 4}));
    EXPECT_TRUE(Selected().isEmpty());  // forum is not listed
    Field().clear();
    Type("resume");  // the note, without its accents
    EXPECT_EQ(Rows(), QStringList({"forum"}));
    Field().clear();
    Type("HUNTER");  // a masked value
    EXPECT_EQ(Rows(), QStringList({"mail"}));

    // With a chooser: the search holds on the rows it lets through.
    Field().clear();
    Type("home");
    EXPECT_EQ(Rows(), QStringList({"savings", "mail"}));
    View().TypeCombo()->setCurrentIndex(View().TypeCombo()->findText("Bank"));
    Q_EMIT View().TypeCombo()->activated(View().TypeCombo()->currentIndex());
    EXPECT_EQ(Rows(), QStringList({"savings"}));
    View().TypeCombo()->setCurrentIndex(0);
    Q_EMIT View().TypeCombo()->activated(0);

    // Escape empties the field: every row again, forum selected as before the search.
    QTest::keyClick(&Field(), Qt::Key_Escape);
    EXPECT_EQ(Field().text(), "");
    EXPECT_EQ(Rows().size(), 4);
    EXPECT_EQ(Selected(), QStringList({"forum"}));
    EXPECT_EQ(counts.last(), QVariantList({4, 4}));
}

TEST_F(SearchField, ARecordChosenAmongTheFoundStaysSelectedWhenTheSearchIsCleared) {
    OpenView();
    QApplication::setActiveWindow(m_window.get());
    View().SelectRecords({Record("forum")});
    Type("sav");
    View().SelectRecords({Record("savings")});
    QTest::keyClick(&Field(), Qt::Key_Escape);
    EXPECT_EQ(Rows().size(), 4);
    EXPECT_EQ(Selected(), QStringList({"savings"}));
}

TEST_F(SearchField, RecordsAnotherProgramChangesFollowWhileTheSearchHidesThem) {
    OpenView();
    Type("sav");
    const uint32_t mail = Record("mail")->m_recordNumber;
    // The other program's record goes with its database: only its number stays.
    uint32_t arrived = 0;
    ChangeFile([&](CDatabaseObj& db) {
        db.m_records.Remove(db.FindItem(kKindRecord, mail));
        arrived = AddRecord(db, nullptr, nullptr, {"bus pass"})->m_recordNumber;
    });
    View().OnNotice({kActionDeleted, kKindRecord, mail});
    EXPECT_EQ(Rows(), QStringList({"savings"}));
    // One that arrives is shown, found or not, as when a chooser would hide it.
    View().OnNotice({kActionAdded, kKindRecord, arrived});
    EXPECT_EQ(Rows(), QStringList({"savings", "bus pass"}));
    QTest::keyClick(&Field(), Qt::Key_Escape);
    EXPECT_EQ(Rows(), QStringList({"savings", "loan", "forum", "bus pass"}));
    EXPECT_EQ(Record("mail"), nullptr);
}

TEST_F(SearchField, ItsKeyReachesItAndTheLockEmptiesIt) {
    OpenView();
    QApplication::setActiveWindow(m_window.get());
    const QAction* search = m_commands->Action(cmd::kSearch);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(search->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
    Field().setText("mail");
    View().List()->setFocus();
    EXPECT_TRUE(m_commands->Run(cmd::kSearch));
    EXPECT_TRUE(Field().hasFocus());
    EXPECT_EQ(Field().selectedText(), "mail");  // typing replaces it

    // What was searched for does not wait behind the lock.
    test::LockWhile(*m_lock, [&] { EXPECT_EQ(Field().text(), ""); });
    EXPECT_EQ(Rows().size(), 4);
}

TEST_F(SearchField, ATextWindows1252CannotHoldFindsNothing) {
    OpenView();
    Field().setText(QString::fromUtf8("\xE2\x82\xAC"));  // the euro sign is in Windows-1252...
    EXPECT_TRUE(Rows().isEmpty());
    Field().setText(QString::fromUtf8("\xE2\x98\x83"));  // ...a snowman is not
    EXPECT_TRUE(Rows().isEmpty());
    Field().setText("");
    EXPECT_EQ(Rows().size(), 4);
}

TEST_F(SearchField, TheShortcutMenuOffersToCopyEachFilledFieldByItsLabel) {
    OpenView();
    View().SelectRecords({Record("mail")});
    std::vector<uint32_t> ran;
    for (uint32_t id = cmd::kCopyField1; id < cmd::kCopyField1 + 6; ++id)
        m_commands->SetHandler(id, [&ran, id] { ran.push_back(id); });
    std::unique_ptr<QMenu> menu(View().BuildContextMenu(nullptr));
    QStringList copies;
    QAction* password = nullptr;
    for (QAction* action : menu->actions())
        if (action->text().startsWith("Copy ")) {
            copies << action->text();
            if (action->text() == "Copy Password")
                password = action;
        }
    EXPECT_EQ(copies, QStringList({"Copy Site", "Copy Field 2", "Copy Password"}));
    ASSERT_NE(password, nullptr);
    password->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, std::vector<uint32_t>{cmd::kCopyField1 + 2});

    // Several records: no field to name.
    View().SelectAllRows();
    menu.reset(View().BuildContextMenu(nullptr));
    for (QAction* action : menu->actions())
        EXPECT_FALSE(action->text().startsWith("Copy ")) << action->text().toStdString();
}

}  // namespace
}  // namespace tessarin
