#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "listing/list_columns.h"
#include "listing/record_order.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

// The list's order as the view builds it, one row at a time: each matching record, in stored
// order, goes before the first row it does not sort after.
std::vector<CRecord*> InsertOneByOne(const CDatabaseObj& db, CSortSetting sort,
                                     const ILocale& locale) {
    std::vector<CRecord*> rows;
    for (size_t i = 0; i < db.m_records.Size(); ++i) {
        CRecord* record = db.RecordAt(i);
        const auto at = std::find_if(rows.begin(), rows.end(), [&](const CRecord* row) {
            return CompareRecords(*record, *row, sort, db, locale) <= 0;
        });
        rows.insert(at, record);
    }
    return rows;
}

std::vector<CRecord*> Sorted(const CDatabaseObj& db, CSortSetting sort, const ILocale& locale) {
    std::vector<CRecord*> rows;
    for (size_t i = db.m_records.Size(); i-- > 0;)
        rows.push_back(db.RecordAt(i));
    SortRecords(rows, sort, db, locale);
    return rows;
}

class RecordOrder : public ::testing::Test {
protected:
    // The value of field `field` of each row.
    std::vector<std::string> Column(const std::vector<CRecord*>& rows, int field) {
        std::vector<std::string> values;
        for (const CRecord* r : rows)
            values.emplace_back(r->GetValue(field));
        return values;
    }

    test::CTestContext context;
    CDatabaseObj db{context};
    CFixedLocale locale;
};

TEST_F(RecordOrder, SortingAllAtOnceGivesTheOrderOfInsertingOneByOne) {
    // Each field holds texts of one kind, with many repeats, so that every column and the
    // tie-breaks behind it have work to do.
    std::mt19937 random(7);
    std::vector<const CTypeItem*> types = {AddType(db, "Login"), AddType(db, "bank"),
                                           AddType(db, "Bank card"), nullptr};
    std::vector<const CCategoryItem*> categories = {AddCategory(db, "Personal"),
                                                    AddCategory(db, "business"), nullptr};
    const ItemKey gone{{7, 7, 7, 7, 7, 7, 7, 7}};
    const char* words[] = {"apple",
                           "Apple",
                           "banana",
                           "",
                           "cherry",
                           "\xE9"
                           "clair",
                           "Zeta",
                           "zeta"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int i = 0; i < 600; ++i) {
        CRecord* record = AddRecord(
            db, types[pick(4)], categories[pick(3)],
            {words[pick(8)], std::to_string(pick(6)),
             std::to_string(1 + pick(12)) + "/" + std::to_string(1 + pick(28)) + "/" +
                 std::to_string(pick(3) ? 1990 + pick(20) : pick(99)),
             "10." + std::to_string(pick(3)) + ".0." + std::to_string(pick(300)),
             (pick(2) ? "-" : "") + std::to_string(pick(4)) + "." + std::to_string(pick(10)),
             pick(3) ? "" : words[pick(8)]},
            pick(3) ? "" : "a note");
        record->m_icon = static_cast<uint16_t>(pick(3));
        if (pick(10) == 0)
            record->SetTypeKey(gone);  // its type is gone: "Unfiled"
    }
    for (int column = 0; column < kColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            SCOPED_TRACE("column " + std::to_string(column) + (ascending ? " up" : " down"));
            const CSortSetting sort{column, ascending};
            EXPECT_EQ(Sorted(db, sort, locale), InsertOneByOne(db, sort, locale));
        }
    }
}

TEST_F(RecordOrder, EqualRowsAreOrderedByTheNextThreeColumnsWrappingToTheIcon) {
    // Sorted by field 6 (column 8), all equal: the note (9), the icon (0) and the type (1)
    // decide in turn, in the same direction; the category (2) would be a fifth column and does
    // not count, so the rows equal in four columns stay newest first.
    const CTypeItem* a = AddType(db, "A");
    const CTypeItem* b = AddType(db, "B");
    const CCategoryItem* x = AddCategory(db, "X");
    const CCategoryItem* y = AddCategory(db, "Y");
    struct {
        const char* name;
        const CTypeItem* type;
        const CCategoryItem* category;
        uint16_t icon;
        const char* note;
    } rows[] = {
        {"note, icon 1", a, x, 1, "n"},         {"no note, icon 2", a, x, 2, ""},
        {"no note, icon 1, B", b, x, 1, ""},    {"no note, icon 1, A, X", a, x, 1, ""},
        {"no note, icon 1, A, Y", a, y, 1, ""},
    };
    for (const auto& r : rows)
        AddRecord(db, r.type, r.category, {r.name, "", "", "", "", "same"}, r.note)->m_icon =
            r.icon;
    EXPECT_EQ(Column(Sorted(db, {8, true}, locale), 0),
              (std::vector<std::string>{"no note, icon 1, A, Y", "no note, icon 1, A, X",
                                        "no note, icon 1, B", "no note, icon 2", "note, icon 1"}));
    EXPECT_EQ(Column(Sorted(db, {8, false}, locale), 0),
              (std::vector<std::string>{"note, icon 1", "no note, icon 2", "no note, icon 1, B",
                                        "no note, icon 1, A, Y", "no note, icon 1, A, X"}));
}

TEST_F(RecordOrder, MaskedValuesSortByWhatTheyHoldAndMissingItemsAsUnfiled) {
    CTypeItem* login = AddType(db, "Login");
    login->m_maskBits = 1;
    CTypeItem* zebra = AddType(db, "Zebra");
    AddRecord(db, login, nullptr, {"300"});
    AddRecord(db, login, nullptr, {"40"});
    CRecord* orphan = AddRecord(db, zebra, nullptr, {"5"});
    orphan->SetTypeKey({{1, 2, 3, 4, 5, 6, 7, 8}});
    EXPECT_EQ(Column(Sorted(db, {3, true}, locale), 0),
              (std::vector<std::string>{"5", "40", "300"}));
    // "Login" < "Unfiled" < "Zebra"
    AddRecord(db, zebra, nullptr, {"1"});
    EXPECT_EQ(Column(Sorted(db, {1, true}, locale), 0),
              (std::vector<std::string>{"40", "300", "5", "1"}));
}

TEST_F(RecordOrder, ManyTypesAndCategoriesSortByTheNameTheListShowsForEachKey) {
    // A type and a category for nearly every record (as an import of another manager's folders
    // makes), every fifth sharing the key of an earlier one: the first item with a key names it.
    std::mt19937 random(11);
    std::vector<CTypeItem*> types;
    std::vector<CCategoryItem*> categories;
    for (int i = 0; i < 300; ++i) {
        types.push_back(AddType(db, "T" + std::to_string(random() % 1000)));
        categories.push_back(AddCategory(db, "C" + std::to_string(random() % 1000)));
        if (i % 5 == 4) {
            types.back()->m_key = types[random() % types.size()]->m_key;
            categories.back()->m_key = categories[random() % categories.size()]->m_key;
        }
        AddRecord(db, types.back(), i % 7 ? categories.back() : nullptr,
                  {std::to_string(random() % 50)});
    }
    db.RecordAt(3)->SetTypeKey({{1, 2, 3, 4, 5, 6, 7, 8}});  // no such type: "Unfiled"
    for (const CSortSetting sort : {CSortSetting{1, true}, CSortSetting{2, false}})
        EXPECT_EQ(Sorted(db, sort, locale), InsertOneByOne(db, sort, locale)) << sort.column;

    const CShownNames names(db.m_types);
    for (size_t i = 0; i < db.m_records.Size(); ++i) {
        const ItemKey& key = db.RecordAt(i)->GetTypeKey();
        const std::string_view shown = ShownName(db.m_types, key);
        EXPECT_EQ(names.Names()[names.Find(key)], shown) << i;
        EXPECT_EQ(names.NameOf(key), shown) << i;
    }
    EXPECT_EQ(names.Find({{1, 2, 3, 4, 5, 6, 7, 8}}), names.Names().size() - 1);
}

TEST_F(RecordOrder, TextsOfMixedKindsSortTheSameWayEveryTimeAndEachKindInItsOwnOrder) {
    // 100 < 5/5/50 as dates, 5/5/50 < 20abc and 20abc < 100 as numbers: no order satisfies all
    // three. The dates keep their order, the numbers theirs, the words theirs.
    const char* values[] = {"100",   "pear", "5/5/50",   "20abc",   "1/1/2000", "7x",
                            "apple", "-3",   "10.0.0.1", "9.0.0.1", ""};
    for (const char* v : values)
        AddRecord(db, nullptr, nullptr, {v});
    const std::vector<std::string> first = Column(Sorted(db, {3, true}, locale), 0);
    EXPECT_EQ(Column(Sorted(db, {3, true}, locale), 0), first);
    ASSERT_EQ(first.size(), std::size(values));
    auto before = [&](const char* a, const char* b) {
        return std::find(first.begin(), first.end(), a) < std::find(first.begin(), first.end(), b);
    };
    EXPECT_TRUE(before("5/5/50", "1/1/2000"));
    EXPECT_TRUE(before("", "100"));  // the empty text is a date of year 0
    EXPECT_TRUE(before("-3", "7x"));
    EXPECT_TRUE(before("7x", "20abc"));
    EXPECT_TRUE(before("9.0.0.1", "10.0.0.1"));
    EXPECT_TRUE(before("apple", "pear"));
}

TEST(SortSetting, StoredFormAndHeaderClicks) {
    EXPECT_EQ(CSortSetting::FromInfo(CSortSetting::kDefaultInfo), (CSortSetting{1, true}));
    EXPECT_EQ(CSortSetting::FromInfo(0x00000005), (CSortSetting{5, false}));
    EXPECT_EQ(CSortSetting::FromInfo(0x00070009), (CSortSetting{9, true}));
    EXPECT_EQ(CSortSetting::FromInfo(0x0001000A), CSortSetting{});  // no column 10
    EXPECT_EQ((CSortSetting{4, false}).ToInfo(), 4u);
    EXPECT_EQ((CSortSetting{4, true}).ToInfo(), 0x00010004u);

    const CSortSetting start{3, true};
    EXPECT_EQ(start.AfterClick(3), (CSortSetting{3, false}));
    EXPECT_EQ(start.AfterClick(3).AfterClick(3), start);
    EXPECT_EQ(start.AfterClick(3).AfterClick(5), (CSortSetting{5, true}));
}

}  // namespace
}  // namespace tessarin
