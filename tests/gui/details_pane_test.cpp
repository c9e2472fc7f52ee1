// The details pane: what it shows of a record and where, its links, its copy buttons, and the
// splitter that sizes it.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "gui/view_fixture.h"
#include "resources/command_table_data.h"
#include "ui/details_pane.h"
#include "ui/record_list_view.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::Mouse;

class DetailsPane : public test::ViewFixture {
protected:
    void SetUp() override {
        MakeDatabase([](CDatabaseObj& db) {
            CTypeItem* login = AddType(db, "Login");
            login->SetValue(0, "Site");
            login->SetValue(2, "Password:");
            login->SetValue(3, "Mail");
            login->m_maskBits = 0b100;
            CCategoryItem* home = AddCategory(db, "Home");
            CRecord* r =
                AddRecord(db, login, home, {"www.example.com.", "", "secret", "me@example.org"},
                          "see http://x.example/a now\r\nnext line");
            r->m_icon = 5;
            AddRecord(db, nullptr, nullptr, {"", "a@b"});
        });
    }
    const CDetailsLayout& Layout() { return View().Pane()->Layout(); }
    std::vector<QString> Texts(CDetailsPiece::Kind kind) {
        std::vector<QString> texts;
        for (const CDetailsPiece& piece : Layout().pieces)
            if (piece.kind == kind)
                texts.push_back(piece.text);
        return texts;
    }
    void Select(const char* field1) {
        for (size_t row = 0; row < View().ListModel().RowCount(); ++row)
            if (View().ListModel().RowAt(row)->GetValue(0) == field1)
                View().SelectRecords({View().ListModel().RowAt(row)});
    }
};

TEST_F(DetailsPane, ShowsTheTitleTheCategoryTheFilledFieldsAsShownAndTheNote) {
    OpenView(QSize(1000, 500));
    Select("www.example.com.");
    const CDetailsLayout& layout = Layout();
    EXPECT_EQ(Texts(CDetailsPiece::kTitle), std::vector<QString>{"www.example.com."});
    // Field 2 is empty: no line. The masked field shows four stars; a label ending in ":" gets
    // no second one.
    EXPECT_EQ(Texts(CDetailsPiece::kLabel),
              std::vector<QString>({"Category:", "Password:", "Mail:", "Note:"}));
    const std::vector<QString> values = Texts(CDetailsPiece::kValue);
    ASSERT_GE(values.size(), 3u);
    EXPECT_EQ(values[0], QStringLiteral("Home"));
    EXPECT_EQ(values[1], QStringLiteral("****"));
    EXPECT_EQ(values[2], QStringLiteral("me@example.org"));
    EXPECT_EQ(std::vector<QString>(values.begin() + 3, values.end()),
              std::vector<QString>({"see", "http://x.example/a", "now", "next", "line"}));

    // Links: the title, the address and the note's web address, with the targets they open.
    std::vector<QString> targets;
    for (const CDetailsLink& link : layout.links)
        targets.push_back(link.target);
    EXPECT_EQ(targets, std::vector<QString>({"http://www.example.com", "mailto:me@example.org",
                                             "http://x.example/a"}));
    // The title band: inset 3 from the body, the icon in 28 pixels, the text 32 in.
    EXPECT_EQ(layout.titleBand.topLeft(), QPoint(14, 3));
    EXPECT_EQ(layout.iconBox,
              QRect(layout.titleBand.topLeft(), QSize(28, layout.titleBand.height())));
    EXPECT_EQ(layout.pieces[0].box.left(), layout.titleBand.left() + 32);
    // Line 0 lies 11 pixels below the band; the note label 12 further below the last line.
    const int line = View().Style().fonts.lineHeight;
    EXPECT_EQ(layout.pieces[1].box.top(), layout.titleBand.height() + 11);
    EXPECT_EQ(layout.pieces[7].box.top(), layout.titleBand.height() + 11 + 3 * line + 12);
    // "next" starts a line of its own at the left.
    const CDetailsPiece& next = layout.pieces[layout.pieces.size() - 2];
    EXPECT_EQ(next.box.left(), layout.pieces[7].box.left());
    EXPECT_EQ(next.box.top(), layout.pieces[7].box.top() + 2 * line);

    // A copy button per line, running the matching command; none for the empty field 2.
    std::vector<uint32_t> commands;
    for (const CCopySpot& spot : layout.buttons)
        commands.push_back(spot.command);
    EXPECT_EQ(commands,
              std::vector<uint32_t>({cmd::kCopyField1, cmd::kCopyCategory, cmd::kCopyField1 + 2,
                                     cmd::kCopyField1 + 3, cmd::kCopyNote}));
    const int width = View().Pane()->width();
    for (const CCopySpot& spot : layout.buttons)
        EXPECT_EQ(spot.rect, QRect(width - 15, spot.rect.top(), 12, 13));
    std::vector<uint32_t> copied;
    for (uint32_t id : commands)
        m_commands->SetHandler(id, [&copied, id] { copied.push_back(id); });
    int shown = 0;
    for (CCopyButton* button : View().Pane()->CopyButtons()) {
        if (button->isHidden())
            continue;
        ++shown;
        button->click();
    }
    EXPECT_EQ(shown, 5);
    EXPECT_EQ(copied.size(), 5u);
    const auto names = View().Pane()->findChildren<CCopyButton*>();
    EXPECT_EQ(names.front()->accessibleName(), QStringLiteral("Copy Site"));
}

TEST_F(DetailsPane, WithoutARecordOnlyTheBandAndNoButtons) {
    OpenView();
    View().ClearSelection();
    EXPECT_EQ(View().Pane()->Record(), nullptr);
    EXPECT_TRUE(Layout().pieces.empty());
    EXPECT_TRUE(Layout().buttons.empty());
    for (CCopyButton* button : View().Pane()->CopyButtons())
        EXPECT_TRUE(button->isHidden());
    // An empty field 1 has no title button; a record without a type shows "Unfiled".
    Select("");
    EXPECT_EQ(Layout().buttons.front().command, cmd::kCopyCategory);
    EXPECT_EQ(Texts(CDetailsPiece::kValue).front(), QStringLiteral("Unfiled"));
}

TEST_F(DetailsPane, TheTitleBandIsAtLeast24HighAndNotesStayInsideThePane) {
    QFont tiny;
    tiny.setPixelSize(5);
    EXPECT_EQ(CListFonts::FromListFont(tiny).titleBandHeight, 24);
    QFont large;
    large.setPixelSize(30);
    EXPECT_GT(CListFonts::FromListFont(large).titleBandHeight, 34);

    OpenView(QSize(700, 300));
    Select("www.example.com.");
    View().DragSplitterTo(700 - 160);
    for (const CDetailsPiece& piece : Layout().pieces) {
        EXPECT_LE(piece.box.right(), View().Pane()->width() - 7) << piece.text.toStdString();
        EXPECT_LE(piece.box.bottom(), View().Pane()->height()) << piece.text.toStdString();
    }
}

TEST_F(DetailsPane, LinksOpenOnReleaseUnderAHandAndDoubleClicksEdit) {
    OpenView(QSize(1000, 500));
    m_window->show();
    Select("www.example.com.");
    CDetailsPane* pane = View().Pane();
    std::vector<QString> opened;
    QObject::connect(pane, &CDetailsPane::linkActivated,
                     [&](const QString& target) { opened.push_back(target); });
    const QPoint link = Layout().links[1].rect.center();
    Mouse(pane, QEvent::MouseMove, link, Qt::NoButton);
    EXPECT_EQ(pane->cursor().shape(), Qt::PointingHandCursor);
    Mouse(pane, QEvent::MouseButtonPress, link, Qt::LeftButton);
    Mouse(pane, QEvent::MouseButtonRelease, link, Qt::NoButton);
    EXPECT_EQ(opened, std::vector<QString>{"mailto:me@example.org"});
    Mouse(pane, QEvent::MouseMove, QPoint(5, 100), Qt::NoButton);
    EXPECT_EQ(pane->cursor().shape(), Qt::SizeHorCursor);
    Mouse(pane, QEvent::MouseMove, QPoint(100, pane->height() - 5), Qt::NoButton);
    EXPECT_EQ(pane->cursor().shape(), Qt::ArrowCursor);

    int edits = 0;
    m_commands->SetHandler(cmd::kEditItem, [&] { ++edits; });
    QTest::mouseDClick(pane, Qt::LeftButton, {}, QPoint(100, pane->height() - 5));
    EXPECT_EQ(edits, 1);
}

TEST_F(DetailsPane, TheSplitterMovesWithinItsLimits) {
    OpenView(QSize(800, 500));
    m_window->show();
    EXPECT_EQ(View().PaneWidth(), 250);
    const struct {
        int x;
        int width;
    } cases[] = {{150, 250}, {770, 250}, {151, 649}, {769, 31}, {600, 200}};
    for (const auto& c : cases) {
        View().DragSplitterTo(c.x);
        EXPECT_EQ(View().PaneWidth(), c.width) << c.x;
        EXPECT_EQ(View().List()->geometry().right() + 1, 800 - c.width) << c.x;
    }
    // With the mouse on the grip.
    CDetailsPane* pane = View().Pane();
    Mouse(pane, QEvent::MouseButtonPress, QPoint(5, 100), Qt::LeftButton);
    EXPECT_TRUE(pane->Dragging());
    Mouse(pane, QEvent::MouseMove, QPoint(-95, 100), Qt::LeftButton);
    Mouse(pane, QEvent::MouseButtonRelease, QPoint(-95, 100), Qt::NoButton);
    EXPECT_FALSE(pane->Dragging());
    // The pane's left edge follows the mouse: 600 + 5 - 100.
    EXPECT_EQ(View().PaneWidth(), 295);
    EXPECT_EQ(pane->geometry(), QRect(505, 29, 295, 500 - 58));
}

TEST_F(DetailsPane, TheKeyboardReachesTheLinksAndTheCopyButtonsAndOpenUrlOpensTheFirstLink) {
    OpenView(QSize(1000, 500));
    QApplication::setActiveWindow(m_window.get());
    Select("www.example.com.");
    CDetailsPane* pane = View().Pane();
    std::vector<QString> opened;
    QObject::connect(&View(), &CTessarinDesktopView::openLink,
                     [&](const QString& target) { opened.push_back(target); });

    // Tab from the list goes through the pane and its copy buttons.
    View().List()->setFocus();
    std::vector<QWidget*> stops;
    for (int i = 0; i < 20; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        stops.push_back(QApplication::focusWidget());
    }
    EXPECT_NE(std::find(stops.begin(), stops.end(), pane), stops.end());
    for (CCopyButton* button : pane->CopyButtons()) {
        if (button->isVisible()) {
            EXPECT_NE(std::find(stops.begin(), stops.end(), button), stops.end());
        }
    }

    // In the pane the arrows go from link to link, around, and Enter opens the one it is on.
    pane->setFocus();
    ASSERT_EQ(pane->FocusedLink(), 0);
    QTest::keyClick(pane, Qt::Key_Down);
    QTest::keyClick(pane, Qt::Key_Return);
    QTest::keyClick(pane, Qt::Key_Up);
    QTest::keyClick(pane, Qt::Key_Up);
    EXPECT_EQ(pane->FocusedLink(), static_cast<int>(Layout().links.size()) - 1);
    QTest::keyClick(pane, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "mailto:me@example.org");
    EXPECT_EQ(opened[1], Layout().links.back().target);

    // Open URL: the first link of the selected record; none, and it is disabled.
    m_commands->UpdateEnabled();
    EXPECT_TRUE(m_commands->IsEnabled(cmd::kOpenUrl));
    EXPECT_TRUE(m_commands->Run(cmd::kOpenUrl));
    EXPECT_EQ(opened.back(), Layout().links.front().target);
    Select("");
    m_commands->UpdateEnabled();
    EXPECT_FALSE(m_commands->IsEnabled(cmd::kOpenUrl));
}

}  // namespace
}  // namespace tessarin
