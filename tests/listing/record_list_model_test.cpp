#include <gtest/gtest.h>

#include <string>

#include "listing/list_columns.h"
#include "listing/record_list_model.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class RecordList : public ::testing::Test {
protected:
    RecordList() {
        login = test::AddLoginType(db);
        bank = AddType(db, "Bank");
        personal = AddCategory(db, "Personal");
        business = AddCategory(db, "Business");
    }

    // Field 1 of every row, in list order.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const CRecord* r : model.Rows())
            names.emplace_back(r->GetValue(0));
        return names;
    }

    test::CTestContext context;
    CDatabaseObj db{context};
    CFixedLocale locale;
    CRecordListModel model{db, locale};
    CTypeItem* login;
    CTypeItem* bank;
    CCategoryItem* personal;
    CCategoryItem* business;
};

TEST_F(RecordList, FiltersListLiveRecordsOfTheTypeAndCategory) {
    AddRecord(db, login, personal, {"a"});
    AddRecord(db, login, business, {"b"});
    AddRecord(db, bank, nullptr, {"c"});
    AddRecord(db, nullptr, personal, {"d"});
    AddRecord(db, login, personal, {"e"})->m_deleted = true;
    CRecord* orphan = AddRecord(db, bank, business, {"f"});
    orphan->SetTypeKey({{5, 5, 5, 5, 5, 5, 5, 5}});
    orphan->m_categoryKey = {{6, 6, 6, 6, 6, 6, 6, 6}};

    const struct {
        ItemKey type, category;
        std::vector<std::string> names;
    } cases[] = {
        {AnyKey, AnyKey, {"c", "b", "a", "d", "f"}},  // by type, then category
        {login->m_key, AnyKey, {"b", "a"}},
        {ZeroKey, AnyKey, {"d"}},
        {AnyKey, ZeroKey, {"c"}},
        {AnyKey, business->m_key, {"b"}},
        {bank->m_key, personal->m_key, {}},
    };
    for (const auto& c : cases) {
        model.SetTypeFilter(c.type);
        model.SetCategoryFilter(c.category);
        model.RefillList();
        EXPECT_EQ(Names(), c.names) << c.type.Hex() << " " << c.category.Hex();
        EXPECT_FALSE(model.IsNarrowed());
    }
}

TEST_F(RecordList, CellsShowNamesValuesAndMaskedValuesAsFourStars) {
    CRecord* r =
        AddRecord(db, login, nullptr, {"example.com", "", "a long secret", "", "", "x"}, "note");
    r->m_maskBits = 0b110;  // field 2 is masked but empty
    model.RefillList();
    const std::vector<std::string> masked = {"",     "Login", "Unfiled", "example.com", "",
                                             "****", "",      "",        "x",           ""};
    for (int c = 0; c < kColumnCount; ++c)
        EXPECT_EQ(model.CellText(0, c), masked[c]) << c;
    model.SetUnmasked(true);
    EXPECT_EQ(model.CellText(0, 5), "a long secret");
    // A rename shows at once: rows hold the records, not their texts.
    login->SetName("Web login");
    EXPECT_EQ(model.CellText(0, 1), "Web login");

    EXPECT_EQ(model.ColumnTitle(3), "Field 1");
    model.SetTypeFilter(login->m_key);
    EXPECT_EQ(model.ColumnTitle(1), "Type");
    EXPECT_EQ(model.ColumnTitle(2), "Category");
    EXPECT_EQ(model.ColumnTitle(3), "Site");
    EXPECT_EQ(model.ColumnTitle(4), "");  // the type's label as it stands
    EXPECT_EQ(model.ColumnTitle(9), "");
    model.SetTypeFilter({{9, 9, 9, 9, 9, 9, 9, 9}});
    EXPECT_EQ(model.ColumnTitle(8), "Field 6");
}

TEST_F(RecordList, FindMatchesValuesAndNotesWithCaseAndWholeWordRules) {
    AddRecord(db, login, personal, {"xABCx"});
    AddRecord(db, login, personal, {"xabc abcx"});
    AddRecord(db, login, personal, {"x abc"});
    AddRecord(db, login, personal, {"pw", "", "password pass"});  // masked field 3
    AddRecord(db, login, personal, {"tab", "abc\tdef"});
    AddRecord(db, login, personal, {"comma", "abc,"});
    AddRecord(db, login, personal, {"note"}, "line\r\nabc");
    AddRecord(db, login, business, {"category"});  // "Business" holds "s"
    AddRecord(db, login, personal, {"\xC9T\xC9"});

    const struct {
        const char* text;
        bool caseSensitive, wholeWord;
        std::vector<std::string> names;
    } cases[] = {
        {"abc", false, false, {"comma", "note", "tab", "x abc", "xabc abcx", "xABCx"}},
        {"ABC", true, false, {"xABCx"}},
        {"abc", false, true, {"note", "tab", "x abc"}},
        {"pass", false, true, {"pw"}},
        {"sine", false, false, {}},  // only in the category's name
        {"\xE9t\xE9", false, false, {"\xC9T\xC9"}},
        {"\xE9t\xE9", true, false, {}},
    };
    for (const auto& c : cases) {
        model.RefillFiltered(c.text, c.caseSensitive, c.wholeWord);
        EXPECT_EQ(Names(), c.names) << c.text << c.caseSensitive << c.wholeWord;
        EXPECT_TRUE(model.IsNarrowed());
    }
    // The find searches the records the filters pass, not the others.
    model.SetCategoryFilter(business->m_key);
    model.RefillFiltered("category", false, false);
    EXPECT_EQ(Names(), std::vector<std::string>{"category"});
    EXPECT_FALSE(model.IsNarrowed());  // every record of the filter holds it
}

TEST_F(RecordList, InsertedRecordsGoBeforeTheirEqualsAndFollowOnlyTheTypeFilter) {
    CRecord* first = AddRecord(db, login, personal, {"b"});
    AddRecord(db, login, personal, {"d"});
    model.SetSort({3, true});
    model.RefillList();
    CRecord* same = AddRecord(db, login, personal, {"b"});
    EXPECT_EQ(model.InsertRecordRow(*same), 0u);
    EXPECT_EQ(model.RowAt(1), first);
    EXPECT_EQ(model.InsertRecordRow(*AddRecord(db, login, personal, {"z"})), 3u);

    model.SetTypeFilter(login->m_key);
    model.SetCategoryFilter(personal->m_key);
    model.RefillList();
    EXPECT_EQ(model.InsertRecordRow(*AddRecord(db, bank, personal, {"c"})), std::nullopt);
    // Another category still gets a row, until the next refill.
    EXPECT_EQ(model.InsertRecordRow(*AddRecord(db, login, business, {"c"})), 2u);
    EXPECT_TRUE(model.RemoveRecordRow(*first));
    EXPECT_FALSE(model.RemoveRecordRow(*first));
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c", "d", "z"}));
}

TEST_F(RecordList, HeaderClicksSortAndTypingFindsARowByItsSortColumn) {
    AddRecord(db, login, nullptr, {"beta", "", "secret"});
    AddRecord(db, login, nullptr, {"Alpha", "", "zz"});
    AddRecord(db, bank, nullptr, {"gamma"});
    model.RefillList();
    model.SortByColumn(3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    model.SortByColumn(3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"gamma", "beta", "Alpha"}));
    EXPECT_EQ(model.Sort().ToInfo(), 3u);

    model.SortByColumn(3);
    EXPECT_EQ(model.FindTypedPrefix("AL"), 0u);
    EXPECT_EQ(model.FindTypedPrefix("g"), 2u);
    EXPECT_EQ(model.FindTypedPrefix("x"), std::nullopt);
    // Masked texts are searched as shown.
    model.SortByColumn(5);
    EXPECT_EQ(model.FindTypedPrefix("se"), std::nullopt);
    EXPECT_EQ(model.FindTypedPrefix("**"), 1u);  // row 0 shows nothing
    model.SortByColumn(0);
    EXPECT_EQ(model.FindTypedPrefix(""), std::nullopt);  // pictures have no text

    CTypeAhead typing;
    EXPECT_EQ(typing.Add('a', 1000, 500), "a");
    EXPECT_EQ(typing.Add('l', 2000, 500), "al");  // 1000 ms: not more than twice 500
    EXPECT_EQ(typing.Add('p', 3001, 500), "p");   // 1001 ms: starts again
}

}  // namespace
}  // namespace tessarin
