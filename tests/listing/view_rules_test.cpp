#include <gtest/gtest.h>

#include <string>

#include "listing/detail_links.h"
#include "listing/filter_entries.h"
#include "listing/list_columns.h"
#include "listing/print_pages.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class ViewRules : public ::testing::Test {
protected:
    test::CTestContext context;
    CDatabaseObj db{context};
};

TEST_F(ViewRules, FilterEntriesSortLiveItemsByNameBetweenTheFixedEntries) {
    AddType(db, "bank");
    CTypeItem* login = AddType(db, "Login");
    AddType(db, "Bank")->m_deleted = true;
    CTypeItem* upper = AddType(db, "BANK");
    AddType(db, "apple");
    std::vector<CFilterEntry> entries = FilterEntries(db.m_types, context.Collation());
    std::vector<std::string> texts;
    for (const auto& e : entries)
        texts.push_back(e.text);
    // Equal names without case keep the list's order.
    EXPECT_EQ(texts, (std::vector<std::string>{"All Types", "apple", "bank", "BANK", "Login",
                                               "Unfiled", "Edit Types..."}));
    EXPECT_EQ(FilterEntryKey(entries, 0), AnyKey);
    EXPECT_EQ(FilterEntryKey(entries, 3), upper->m_key);
    EXPECT_NE(FilterEntryKey(entries, 2), upper->m_key);  // the other "bank" is its own filter
    EXPECT_EQ(FilterEntryKey(entries, 5), ZeroKey);
    EXPECT_EQ(FilterEntryKey(entries, 6), EditListKey);
    EXPECT_EQ(FilterEntryIndex(entries, AnyKey), 0u);
    EXPECT_EQ(FilterEntryIndex(entries, ZeroKey), 5u);
    EXPECT_EQ(FilterEntryIndex(entries, login->m_key), 4u);
    EXPECT_EQ(FilterEntryIndex(entries, EditListKey), std::nullopt);

    EXPECT_EQ(InsertFilterEntry(entries, {"Bank", {{1}}}, context.Collation()), 4u);
    EXPECT_EQ(InsertFilterEntry(entries, {"zz", {{2}}}, context.Collation()), 6u);

    const std::vector<CFilterEntry> categories =
        FilterEntries(db.m_categories, context.Collation());
    EXPECT_EQ(categories.front().text, "All Categories");
    EXPECT_EQ(categories.back().text, "Edit Categories...");

    // Saved filters: kept while an item has the key (deleted ones too), else all.
    const CTypeItem* gone = AddType(db, "Gone");
    const_cast<CTypeItem*>(gone)->m_deleted = true;
    EXPECT_EQ(CheckedFilter(db.m_types, gone->m_key), gone->m_key);
    EXPECT_EQ(CheckedFilter(db.m_types, ZeroKey), AnyKey);
    EXPECT_EQ(CheckedFilter(db.m_types, ItemKey{{3, 3}}), AnyKey);
    EXPECT_EQ(NewRecordKey(AnyKey), ZeroKey);
    EXPECT_EQ(NewRecordKey(login->m_key), login->m_key);
}

TEST_F(ViewRules, ColumnLayoutsWidthsAndWhereTheyAreKept) {
    CColumnLayout layout = CColumnLayout::Default();
    layout.entries[0].width = 5;
    layout.entries[2].visible = 0;
    layout.entries[9].width = 300;
    EXPECT_EQ(
        VisibleColumns(layout),
        (std::vector<CListColumn>{
            {0, 27}, {1, 140}, {3, 85}, {4, 85}, {5, 85}, {6, 85}, {7, 85}, {8, 85}, {9, 24}}));
    EXPECT_EQ(ColumnAtHeaderIndex(layout, 2), 3);
    EXPECT_EQ(ColumnAtHeaderIndex(layout, 9), -1);
    SetColumnWidth(layout, 3, 10);
    EXPECT_EQ(layout.entries[3].width, 24);
    SetColumnWidth(layout, 3, 90);
    EXPECT_EQ(layout.entries[3].width, 90);

    CTypeItem* type = AddType(db, "Login");
    type->SetValue(1, "User");
    type->m_columns.entries[4].width = 33;
    AddRecord(db, type, nullptr, {"abc", "x"})->m_maskBits = 2;
    AddRecord(db, type, nullptr, {"abcdefgh", "secret value"})->m_maskBits = 2;
    std::vector<CRecord*> rows = {db.RecordAt(0), db.RecordAt(1)};
    auto width = [](std::string_view text) { return static_cast<int>(text.size()) * 7; };
    EXPECT_EQ(BestFitWidth(db, rows, 3, true, width), 8 * 7 + 8);
    EXPECT_EQ(BestFitWidth(db, rows, 4, true, width), 4 * 7 + 8);  // "****"
    EXPECT_EQ(BestFitWidth(db, rows, 4, false, width), 12 * 7 + 8);
    EXPECT_EQ(BestFitWidth(db, rows, 9, true, width), 24);

    const CColumnLayout shared = CColumnLayout();
    EXPECT_EQ(LayoutHomeFor(db, AnyKey), LayoutHome::Preference);
    EXPECT_EQ(LayoutHomeFor(db, ZeroKey), LayoutHome::Preference);
    EXPECT_EQ(LayoutHomeFor(db, type->m_key), LayoutHome::Type);
    EXPECT_EQ(LayoutHomeFor(db, ItemKey{{4}}), LayoutHome::Nowhere);
    EXPECT_EQ(ReloadedLayout(db, ZeroKey, shared), shared);
    EXPECT_EQ(ReloadedLayout(db, type->m_key, shared)->entries[4].width, 33);
    EXPECT_EQ(ReloadedLayout(db, ItemKey{{4}}, shared), std::nullopt);
    EXPECT_EQ(ShowFieldTitle(db, type->m_key, 1), "Show User");
    EXPECT_EQ(ShowFieldTitle(db, type->m_key, 0), std::nullopt);  // no label
    EXPECT_EQ(ShowFieldTitle(db, AnyKey, 1), std::nullopt);
}

TEST(DetailLinks, WebAndMailAddressesAndTheirTargets) {
    const struct {
        const char* value;
        bool link;
        const char* target;
    } cases[] = {
        {"  www.example.com.  ", true, "http://www.example.com"},
        {"HTTPS://Example.com/a", true, "HTTPS://Example.com/a"},
        {"ftp://files", true, "ftp://files"},
        {"MailTo:me@x.org", true, "MailTo:me@x.org"},
        {"me@example.com", true, "mailto:me@example.com"},
        {"me@example.com.", true, "mailto:me@example.com"},
        {"http://user@host.com", true, "http://user@host.com"},  // not a mail address
        {"a@b.c", true, "mailto:a@b.c"},
        {"me@.com", false, ""},  // the "." must be two or more past the "@"
        {"me@example", false, ""},
        {"@example.com", false, ""},
        {"example.com@", false, ""},
        {"me @example.com", false, ""},
        {"me@ example.com", false, ""},
        {"   ", false, ""},
        {"example.com", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLink(c.value), c.link) << c.value;
        if (c.link) {
            EXPECT_EQ(LinkTarget(c.value), c.target) << c.value;
        }
    }
}

TEST(PrintPages, PagesRowsAndColumnWidths) {
    // 600 dpi; a line of 100 pixels; 1,700 printable lines of height hold (1700 - 700) / 100 = 10
    // rows a page.
    CColumnLayout layout = CColumnLayout::Default();
    for (int c = 3; c <= 8; ++c)
        layout.entries[c].visible = 0;
    layout.entries[1].width = 100;
    layout.entries[2].width = 300;
    CPrintMeasures m{100, 1700, 5000, 600, 25};
    CPrintPages pages(m, layout);
    EXPECT_EQ(pages.LinesPerPage(), 10);
    EXPECT_EQ(pages.Pages(), 3);
    EXPECT_EQ(pages.RowsOfPage(1), (std::pair<size_t, size_t>{0, 10}));
    EXPECT_EQ(pages.RowsOfPage(3), (std::pair<size_t, size_t>{20, 25}));
    EXPECT_EQ(pages.RowsOfPage(4), (std::pair<size_t, size_t>{25, 25}));
    EXPECT_EQ(pages.HeaderY(), 200);
    EXPECT_EQ(pages.RuleY(), 350);
    EXPECT_EQ(pages.RowY(0), 500);
    EXPECT_EQ(pages.Margin(), 300);
    // The rule runs to 300 pixels before the right edge; "Page 3", 250 wide, ends there.
    EXPECT_EQ(pages.RightEdge(), 4700);
    EXPECT_EQ(pages.RightAlignedX(250), 4450);
    // The type and category columns share the 4,400 pixels between the margins 1 : 3.
    EXPECT_EQ(pages.Cells(), (std::vector<CPrintCell>{{1, 300, 1100}, {2, 1400, 3300}}));
    EXPECT_EQ(CPrintPages::FontHeight(600), -83);

    m.rows = 20;  // exactly two pages, no empty third
    EXPECT_EQ(CPrintPages(m, layout).Pages(), 2);
    m.rows = 0;  // an empty list still prints its header
    EXPECT_EQ(CPrintPages(m, layout).Pages(), 1);
    EXPECT_EQ(CPrintPages(m, layout).RowsOfPage(1), (std::pair<size_t, size_t>{0, 0}));

    // A page too short for the header, a printer without a line height, no text column: no
    // division by zero, one row a page.
    m = {0, 5, 5000, 600, 3};
    layout.entries[1].visible = layout.entries[2].visible = 0;
    CPrintPages odd(m, layout);
    EXPECT_EQ(odd.LinesPerPage(), 1);
    EXPECT_EQ(odd.Pages(), 3);
    EXPECT_TRUE(odd.Cells().empty());
}

}  // namespace
}  // namespace tessarin
