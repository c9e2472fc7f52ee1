// The record list: its table over the core's rows, the painted rows, the header's clicks and
// dividers, and the keys of the list.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include <QAccessible>
#include <QHeaderView>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "gui/view_fixture.h"
#include "listing/list_columns.h"
#include "platform/qt_text.h"
#include "resources/command_table_data.h"
#include "support/palm_files.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::Mouse;

class RecordListView : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = AddType(db, "Login");
            login->SetValue(0, "Site");
            login->SetValue(1, "User");
            login->SetValue(2, "Password");
            login->m_maskBits = 0b100;
            login->m_icon = 21;
            CTypeItem* bank = AddType(db, "Bank");
            bank->SetValue(0, "Description");
            bank->m_icon = 1;
            CCategoryItem* personal = AddCategory(db, "Personal");
            CCategoryItem* business = AddCategory(db, "Business");
            AddRecord(db, login, personal, {"beta", "bob", "secret"});
            AddRecord(db, login, business, {"alpha", "al", "pw2"}, "has a note");
            AddRecord(db, bank, personal, {"Savings", "12-34"});
            AddRecord(db, nullptr, nullptr, {"zeta"});
        });
    }

    CRecordListView& List() { return *View().List(); }
    CRecordTableModel& Model() { return List().Model(); }
    // The header section that shows a column number.
    int Section(int column) { return Model().SectionOf(column); }
    QPoint SectionCentre(int column) {
        QHeaderView* header = List().horizontalHeader();
        const int section = Section(column);
        return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                      header->height() / 2);
    }
    // Drags the divider at the right edge of a column's section by `by` pixels.
    void DragDivider(int column, int by) {
        QHeaderView* header = List().horizontalHeader();
        const int section = Section(column);
        const QPoint edge(
            header->sectionViewportPosition(section) + header->sectionSize(section) - 1,
            header->height() / 2);
        QWidget* target = header->viewport();
        Mouse(target, QEvent::MouseButtonPress, edge, Qt::LeftButton);
        Mouse(target, QEvent::MouseMove, edge + QPoint(by / 2, 0), Qt::LeftButton);
        Mouse(target, QEvent::MouseMove, edge + QPoint(by, 0), Qt::LeftButton);
        Mouse(target, QEvent::MouseButtonRelease, edge + QPoint(by, 0), Qt::NoButton);
    }
    QImage Grab(QWidget* widget) {
        m_window->show();
        QCoreApplication::processEvents();
        return widget->grab().toImage();
    }
};

TEST_F(RecordListView, RowsAreTheCoresAndCellsAreReadWhenShown) {
    OpenView();
    // Sorted by type, then category, then field 1; the record without a type is "Unfiled".
    EXPECT_EQ(View().RowTexts(), QStringList({"Savings", "alpha", "beta", "zeta"}));
    ASSERT_EQ(Model().rowCount(), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Model().RecordAt(row), View().ListModel().RowAt(static_cast<size_t>(row)));
    const QModelIndex password = Model().index(2, Section(kFirstFieldColumn + 2));
    const QModelIndex type = Model().index(2, Section(kTypeColumn));
    EXPECT_EQ(password.data().toString(), QStringLiteral("****"));
    EXPECT_EQ(Model().index(3, Section(kTypeColumn)).data().toString(), QStringLiteral("Unfiled"));
    EXPECT_EQ(Model().headerData(Section(kFirstFieldColumn), Qt::Horizontal).toString(),
              QStringLiteral("Field 1"));

    // A renamed type and unmasking show without the rows being built again.
    static_cast<CCategory*>(View().Database().FindTypeByName("Login"))->SetName("Web");
    EXPECT_EQ(type.data().toString(), QStringLiteral("Web"));
    View().ToggleMask();
    EXPECT_EQ(password.data().toString(), QStringLiteral("secret"));
    EXPECT_TRUE(password.isValid());

    // A screen reader reads the same texts from the table's cells and headers.
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&List());
    ASSERT_TRUE(table && table->tableInterface());
    EXPECT_EQ(table->text(QAccessible::Name), QStringLiteral("Records"));
    EXPECT_EQ(table->tableInterface()->rowCount(), 4);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(1, Section(kFirstFieldColumn));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("alpha"));
    QAccessibleInterface* note = table->tableInterface()->cellAt(1, Section(kNoteColumn));
    EXPECT_EQ(note->text(QAccessible::Name), QStringLiteral("Note"));
}

TEST_F(RecordListView, AScreenReaderHearsOfTheFirstCellSelectedAndTheFirstDeselected) {
    // As Qt's table tells it, found without listing every cell of a selection.
    MakeDatabase([](CDatabaseObj& db) {
        for (int i = 0; i < 40; ++i)
            AddRecord(db, nullptr, nullptr, {"row " + std::to_string(100 + i)});
    });
    OpenView();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&List());
    ASSERT_TRUE(table && table->tableInterface());
    const int last = Model().columnCount() - 1;
    const auto rows = [&](std::initializer_list<std::pair<int, int>> runs) {
        QItemSelection selection;
        for (const auto& [top, bottom] : runs)
            selection.select(Model().index(top, 0), Model().index(bottom, last));
        return selection;
    };
    const struct {
        QItemSelection selected, deselected;
        std::vector<std::pair<QAccessible::Event, int>> heard;  // (event, row)
    } cases[] = {
        {rows({{0, 43}}), {}, {{QAccessible::SelectionAdd, 0}}},
        {rows({{5, 5}}),
         rows({{0, 4}, {6, 43}}),
         {{QAccessible::SelectionAdd, 5}, {QAccessible::SelectionRemove, 0}}},
        {rows({{30, 30}, {2, 3}}),
         rows({{9, 12}}),
         {{QAccessible::SelectionAdd, 30}, {QAccessible::SelectionRemove, 9}}},
        {{}, rows({{7, 40}}), {{QAccessible::SelectionRemove, 7}}},
        {{}, {}, {}},
    };
    for (const auto& c : cases) {
        // Each event names its cell as the table's child, as a screen reader looks it up.
        std::vector<std::pair<QAccessible::Event, int>> heard;
        for (const auto& [event, child] : List().SelectionNotices(c.selected, c.deselected)) {
            QAccessibleInterface* cell = table->child(child);
            ASSERT_TRUE(cell && cell->tableCellInterface());
            EXPECT_EQ(cell->tableCellInterface()->columnIndex(), 0);
            heard.emplace_back(event, cell->tableCellInterface()->rowIndex());
        }
        EXPECT_EQ(heard, c.heard);
    }
}

TEST_F(RecordListView, HeaderClicksSortAndASecondClickFlipsKeepingTheSelection) {
    OpenView();
    m_window->show();
    View().SelectRecords({View().ListModel().RowAt(2)});  // beta
    const CRecord* beta = View().GetSelectedRecord();
    QTest::mouseClick(List().horizontalHeader()->viewport(), Qt::LeftButton, {},
                      SectionCentre(kFirstFieldColumn));
    EXPECT_EQ(View().ListModel().Sort(), (CSortSetting{kFirstFieldColumn, true}));
    EXPECT_EQ(View().RowTexts(), QStringList({"alpha", "beta", "Savings", "zeta"}));
    EXPECT_EQ(View().GetSelectedRecord(), beta);
    EXPECT_EQ(List().horizontalHeader()->sortIndicatorSection(), Section(kFirstFieldColumn));
    EXPECT_EQ(List().horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QTest::mouseClick(List().horizontalHeader()->viewport(), Qt::LeftButton, {},
                      SectionCentre(kFirstFieldColumn));
    EXPECT_EQ(View().RowTexts(), QStringList({"zeta", "Savings", "beta", "alpha"}));
    EXPECT_EQ(List().horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_EQ(View().GetSelectedRecord(), beta);
    // The note column sorts by whether there is a note; its header shows no arrow.
    QTest::mouseClick(List().horizontalHeader()->viewport(), Qt::LeftButton, {},
                      SectionCentre(kNoteColumn));
    EXPECT_EQ(View().ListModel().Sort(), (CSortSetting{kNoteColumn, true}));
    EXPECT_EQ(View().RowTexts().last(), QStringLiteral("alpha"));
    EXPECT_FALSE(List().horizontalHeader()->isSortIndicatorShown());
}

TEST_F(RecordListView, DraggedWidthsAreStoredAtLeast24AndSavedWhereTheLayoutLives) {
    OpenView();
    m_window->show();
    const int before = List().horizontalHeader()->sectionSize(Section(kCategoryColumn));
    DragDivider(kCategoryColumn, 30);
    EXPECT_EQ(View().ColumnLayout().entries[kCategoryColumn].width, before + 30);
    EXPECT_EQ(m_preferences.ReadColumns().entries[kCategoryColumn].width, before + 30);
    DragDivider(kCategoryColumn, -(before + 20));
    EXPECT_EQ(View().ColumnLayout().entries[kCategoryColumn].width, 24);
    EXPECT_EQ(List().horizontalHeader()->sectionSize(Section(kCategoryColumn)), 24);
    EXPECT_EQ(m_preferences.ReadColumns().entries[kCategoryColumn].width, 24);

    // With a type's records shown, the type keeps the layout, in the database file.
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    DragDivider(kFirstFieldColumn, 40);
    const int width = View().ColumnLayout().entries[kFirstFieldColumn].width;
    CDatabaseObj reread(m_context);
    ASSERT_TRUE(Load(reread, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(reread.FindTypeByName("Login")->m_columns.entries[kFirstFieldColumn].width, width);
    EXPECT_NE(m_preferences.ReadColumns().entries[kFirstFieldColumn].width, width);
}

TEST_F(RecordListView, DoubleClickOnADividerFitsTheWidestCellAsShown) {
    OpenView();
    m_window->show();
    QHeaderView* header = List().horizontalHeader();
    const int section = Section(kFirstFieldColumn + 2);
    const QPoint edge(header->sectionViewportPosition(section) + header->sectionSize(section) - 1,
                      header->height() / 2);
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, edge);
    // Masked, the widest password is "****".
    const QFontMetrics metrics(View().ListFont());
    const int fit = metrics.horizontalAdvance(QStringLiteral("****")) + 8;
    EXPECT_EQ(header->sectionSize(section), std::max(fit, 24));
    EXPECT_EQ(View().ColumnLayout().entries[kFirstFieldColumn + 2].width, std::max(fit, 24));
}

TEST_F(RecordListView, ATypesLayoutIsSavedWhenTheChooserLeavesItChangedAndOnlyThen) {
    OpenView();
    m_window->show();
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    const auto fileBytes = [this] {
        std::ifstream file(DatabasePathIn(Folder()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    // A best fit changes the layout in force; the chooser's change writes it into the file.
    const int before = View().ColumnLayout().entries[kFirstFieldColumn + 1].width;
    QHeaderView* header = List().horizontalHeader();
    const int section = Section(kFirstFieldColumn + 1);
    QTest::mouseDClick(
        header->viewport(), Qt::LeftButton, {},
        QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) - 1,
               header->height() / 2));
    const int fitted = View().ColumnLayout().entries[kFirstFieldColumn + 1].width;
    ASSERT_NE(fitted, before);
    View().SelectTypeEntry(0);
    CDatabaseObj reread(m_context);
    ASSERT_TRUE(Load(reread, DatabasePathIn(Folder())).Ok());
    EXPECT_EQ(reread.FindTypeByName("Login")->m_columns.entries[kFirstFieldColumn + 1].width,
              fitted);

    // Nothing changed: the file is not written again (a save would draw new filler).
    View().SelectTypeEntry(View().TypeCombo()->findText("Login"));
    const std::string unchanged = fileBytes();
    View().SelectTypeEntry(0);
    EXPECT_EQ(fileBytes(), unchanged);
}

TEST_F(RecordListView, TypingFindsARowByItsSortColumnAsShown) {
    OpenView();
    m_window->show();
    List().setFocus();
    QTest::keyClicks(&List(), "un");
    EXPECT_EQ(Cp1252ToQString(View().GetSelectedRecord()->GetValue(0)), QStringLiteral("zeta"));
    View().SortByColumn(kFirstFieldColumn + 2);
    QTest::qWait(2 * QApplication::doubleClickInterval() + 50);
    QTest::keyClicks(&List(), "*");
    EXPECT_EQ(Cp1252ToQString(View().GetSelectedRecord()->GetValue(0)), QStringLiteral("alpha"));
}

TEST_F(RecordListView, UpAndDownPageThroughAListWithNothingSelected) {
    MakeDatabase([](CDatabaseObj& db) {
        for (int i = 0; i < 200; ++i)
            AddRecord(db, nullptr, nullptr, {"row " + std::to_string(1000 + i)});
    });
    OpenView(QSize(600, 300));
    m_window->show();
    View().ClearSelection();
    const int page = List().RowsPerPage();
    ASSERT_LT(page, 100);
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_FALSE(List().selectionModel()->hasSelection());
    EXPECT_GE(List().verticalScrollBar()->value(), page - 1);
    QTest::keyClick(&List(), Qt::Key_Up);
    EXPECT_EQ(List().verticalScrollBar()->value(), 0);
    // With a row selected the keys move the selection.
    View().SelectRecords({View().ListModel().RowAt(0)});
    QTest::keyClick(&List(), Qt::Key_Down);
    EXPECT_EQ(View().GetSelectedRecord(), View().ListModel().RowAt(1));
}

TEST_F(RecordListView, DoubleClicksAndTheButtonsRunTheRecordCommands) {
    OpenView();
    m_window->show();
    std::vector<uint32_t> ran;
    for (uint32_t id : {cmd::kNewItem, cmd::kEditItem, cmd::kDeleteItem, cmd::kDuplicateItem})
        m_commands->SetHandler(id, [&ran, id] { ran.push_back(id); });
    View().ClearSelection();
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kEditItem));
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kDeleteItem));
    const QRect row = List().visualRect(Model().index(1, Section(kFirstFieldColumn)));
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, row.center());
    for (const char* name : {"New...", "Edit...", "Delete...", "Duplicate..."}) {
        for (QPushButton* button : View().findChildren<QPushButton*>())
            if (button->text() == QString::fromLatin1(name))
                button->click();
    }
    EXPECT_EQ(ran, std::vector<uint32_t>({cmd::kEditItem, cmd::kNewItem, cmd::kEditItem,
                                          cmd::kDeleteItem, cmd::kDuplicateItem}));
    // Return in the list edits the selected record; with none selected it does nothing.
    QApplication::setActiveWindow(m_window.get());
    List().setFocus();
    View().SelectRecords({View().ListModel().RowAt(0)});
    QTest::keyClick(&List(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran.back(), cmd::kEditItem);
    EXPECT_EQ(ran.size(), 6u);
    // Enter of the keypad does the same.
    QTest::keyClick(&List(), Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran.size(), 7u);
    ran.pop_back();
    View().ClearSelection();
    QTest::keyClick(&List(), Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(ran.size(), 6u);
    // Several rows: only delete.
    View().SelectAllRows();
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kEditItem));
    EXPECT_TRUE(m_commands->IsEnabled(cmd::kDeleteItem));
    EXPECT_EQ(View().SelectedRecords().size(), 4u);
}

TEST_F(RecordListView, RowsArePaintedInTheirColoursWithIconsAndNoteMarks) {
    OpenView(QSize(1400, 400));
    View().ClearSelection();
    const QImage image = Grab(List().viewport());
    const auto pixelAt = [&](int row, int column, int dx) {
        const QRect cell = List().visualRect(Model().index(row, Section(column)));
        return image.pixelColor(cell.left() + dx, cell.top() + 1);
    };
    const QColor base = List().palette().color(QPalette::Active, QPalette::Base);
    EXPECT_EQ(pixelAt(0, kTypeColumn, 1), View().Style().rowColor);
    EXPECT_EQ(pixelAt(1, kTypeColumn, 1), base);
    EXPECT_EQ(pixelAt(2, kTypeColumn, 1), View().Style().rowColor);
    // Something is drawn in the icon cells; the note mark only where there is a note.
    // Inside the cell's edges, where a focus rectangle may run.
    const auto painted = [&](int row, int column) {
        const QRect cell =
            List().visualRect(Model().index(row, Section(column))).adjusted(1, 1, -1, -1);
        const QColor background = image.pixelColor(cell.topLeft());
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                if (image.pixelColor(x, y) != background)
                    return true;
        return false;
    };
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(painted(row, kIconColumn)) << row;
    EXPECT_TRUE(painted(1, kNoteColumn));
    EXPECT_FALSE(painted(0, kNoteColumn));

    // The header shows its pictures over the icon and note columns.
    const QImage header = Grab(List().horizontalHeader()->viewport());
    for (int column : {kIconColumn, kNoteColumn}) {
        QHeaderView* h = List().horizontalHeader();
        const int section = Section(column);
        const QPoint centre(h->sectionViewportPosition(section) + h->sectionSize(section) / 2,
                            h->height() / 2);
        // Something darker than the header's face stands in the picture's square.
        int dark = 0;
        for (int y = centre.y() - 8; y < centre.y() + 8; ++y)
            for (int x = centre.x() - 8; x < centre.x() + 8; ++x)
                dark += header.pixelColor(x, y).lightness() < 140;
        EXPECT_GT(dark, 8) << column;
    }
}

TEST_F(RecordListView, CustomIconsComeFromTheIconFileBesideTheDatabase) {
    MakeDatabase([](CDatabaseObj& db) {
        db.m_handheldName = "Handheld";
        AddRecord(db, nullptr, nullptr, {"custom"})->m_icon = 256 + 7;
        AddRecord(db, nullptr, nullptr, {"missing"})->m_icon = 256 + 9;
    });
    // One bitmap resource, id 7: 4 x 4 pixels of 8 bits, version 2, all of palette entry 230.
    std::vector<unsigned char> file = test::IconFileHeader(1);
    const std::vector<unsigned char> rest = {
        'T', 'b', 'm', 'p', 0, 7, 0, 0, 0, 90, 0, 0,              // entry, padding
        0,   4,   0,   4,   0, 4, 0, 0, 8, 2,  0, 0, 0, 0, 0, 0,  // header
    };
    file.insert(file.end(), rest.begin(), rest.end());
    file.insert(file.end(), 16, 230);
    test::WriteFileBytes(m_dir / "db" / "Handheld.pdb", file);
    OpenView(QSize(1200, 400));
    ASSERT_EQ(View().CustomIcons().Size(), 1u);
    View().SortByColumn(kFirstFieldColumn);
    ASSERT_EQ(View().RowTexts().first(), QStringLiteral("alpha"));
    const int custom = static_cast<int>(View().RowTexts().indexOf("custom"));
    const int missing = static_cast<int>(View().RowTexts().indexOf("missing"));
    View().ClearSelection();
    const QImage image = Grab(List().viewport());
    const auto darkIn = [&](int row) {
        const QRect cell = List().visualRect(Model().index(row, Section(kIconColumn)));
        int dark = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                dark += image.pixelColor(x, y).lightness() < 60;
        return dark;
    };
    EXPECT_EQ(darkIn(custom), 16);
    EXPECT_EQ(darkIn(missing), 0);
    // In the title band the text starts 32 pixels in after an icon, 7 without one.
    View().SelectRecords({View().ListModel().RowAt(static_cast<size_t>(custom))});
    const CDetailsLayout& layout = View().Pane()->Layout();
    EXPECT_FALSE(layout.iconBox.isEmpty());
    EXPECT_EQ(layout.pieces[0].box.left(), layout.titleBand.left() + 32);
    View().SelectRecords({View().ListModel().RowAt(static_cast<size_t>(missing))});
    EXPECT_TRUE(View().Pane()->Layout().iconBox.isEmpty());
    EXPECT_EQ(View().Pane()->Layout().pieces[0].box.left(),
              View().Pane()->Layout().titleBand.left() + 7);
}

// Counts the cells it paints.
class CCountingDelegate : public CRecordDelegate {
public:
    using CRecordDelegate::CRecordDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        ++painted;
        maxRow = std::max(maxRow, index.row());
        CRecordDelegate::paint(painter, option, index);
    }
    mutable int painted = 0;
    mutable int maxRow = -1;
};

TEST_F(RecordListView, ALongListMakesNoWidgetPerRowAndPaintsOnlyWhatShows) {
    MakeDatabase([](CDatabaseObj& db) {
        for (int i = 0; i < 20000; ++i)
            AddRecord(db, nullptr, nullptr, {"row " + std::to_string(100000 + i)});
    });
    OpenView(QSize(800, 400));
    ASSERT_EQ(View().RowCount(), 20004);  // with the four of every case
    EXPECT_LT(View().findChildren<QWidget*>().size(), 100);
    auto* counting = new CCountingDelegate(View().Style(), &List());
    List().setItemDelegate(counting);
    QCoreApplication::processEvents();
    counting->painted = 0;
    List().viewport()->grab();
    const int shown = List().RowsPerPage() + 1;
    EXPECT_GT(counting->painted, 0);
    EXPECT_LE(counting->painted, shown * Model().columnCount());
    EXPECT_LE(counting->maxRow, shown);
    // Scrolling to the end paints the last page only.
    List().scrollToBottom();
    QCoreApplication::processEvents();
    counting->painted = 0;
    List().viewport()->grab();
    EXPECT_LE(counting->painted, shown * Model().columnCount());
    EXPECT_EQ(counting->maxRow, 20003);
}

}  // namespace
}  // namespace tessarin
