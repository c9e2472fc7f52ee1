#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/work_crew.h"
#include "listing/quick_search.h"
#include "listing/record_list_model.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

// A small database whose records each hold their text in one place only: a value, a masked
// value, the note, or the name of their type or category.
class QuickSearch : public ::testing::Test {
protected:
    QuickSearch() {
        login = AddType(db, "Login");
        login->m_maskBits = 0b100;  // field 3
        bank = AddType(db, "Bank");
        personal = AddCategory(db, "Personal");
        business = AddCategory(db, "Business");
        AddRecord(db, login, personal, {"a", "example.com", "S3cret"}, "first note");
        AddRecord(db, bank, business,
                  {"b",
                   "Cr\xE9"
                   "dit Agricole"});
        AddRecord(db, nullptr, nullptr, {"c", "CAF\xC9"});
        AddRecord(db, login, personal,
                  {"d",
                   "stra\xDF"
                   "e",
                   "\xC6gir"});
        AddRecord(db, login, personal,
                  {"e",
                   "\x8Atefan \x9E"
                   "ena"});
        AddRecord(db, login, personal, {"x", "example.org"})->m_deleted = true;
        CRecord* orphan = AddRecord(db, bank, business, {"f", "lost"});
        orphan->SetTypeKey({{5, 5, 5, 5, 5, 5, 5, 5}});
        orphan->m_categoryKey = {{6, 6, 6, 6, 6, 6, 6, 6}};
        model.RefillList();
    }

    // Field 1 of every row, in list order, after searching for `text`.
    std::vector<std::string> Found(const std::string& text) {
        model.SetSearch(text);
        std::vector<std::string> names;
        for (const CRecord* r : model.Rows())
            names.emplace_back(r->GetValue(0));
        std::sort(names.begin(), names.end());
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

TEST_F(QuickSearch, FindsTextInValuesNotesAndNamesIgnoringCaseAndAccents) {
    using Names = std::vector<std::string>;
    const struct {
        std::string text;
        Names found;
    } cases[] = {
        {"", {"a", "b", "c", "d", "e", "f"}},
        {"EXAMPLE", {"a"}},  // a deleted record is never listed
        {"s3cret", {"a"}},   // a masked value, by what it holds
        {"FIRST N", {"a"}},  // the note
        {"credit", {"b"}},   // é is e
        {"CR\xC9"
         "DIT",
         {"b"}},                  // É is é
        {"caf\xE8", {"c"}},       // è is e too
        {"bank", {"b"}},          // the type's name
        {"busi", {"b"}},          // the category's name (f's is unknown...)
        {"unfiled", {"c", "f"}},  // ...and keys nothing holds show "Unfiled"
        {"personal", {"a", "d", "e"}},
        {"strasse", {}},  // ß is only ß
        {"stra\xDF", {"d"}},
        {"\xE6gir", {"d"}},      // æ is Æ in the other case, not "ae"
        {"stefan zena", {"e"}},  // Š and ž carry their letters
        {"nothing like it", {}},
        {std::string(1, '\0'), {}},  // what a text Windows-1252 cannot hold becomes
    };
    for (const auto& c : cases)
        EXPECT_EQ(Found(c.text), c.found) << c.text;
}

TEST_F(QuickSearch, CombinesWithTheChoosersAndTypingOnNarrowsWhatWasFound) {
    model.SetTypeFilter(login->m_key);
    model.RefillList();
    EXPECT_EQ(Found("e"), (std::vector<std::string>{"a", "d", "e"}));
    model.SetCategoryFilter(personal->m_key);
    model.RefillList();
    // Typed on letter by letter, then back: each step as a fresh search would list it.
    for (const std::string text : {"e", "ex", "exa", "ex", "", "s", "st"}) {
        const std::vector<std::string> typed = Found(text);
        CRecordListModel fresh(db, locale);
        fresh.SetTypeFilter(login->m_key);
        fresh.SetCategoryFilter(personal->m_key);
        fresh.RefillList();
        fresh.SetSearch(text);
        EXPECT_EQ(model.Rows(), fresh.Rows()) << text;
        EXPECT_FALSE(model.IsNarrowed()) << text;
    }
}

TEST_F(QuickSearch, ARenamedTypeIsSearchedByItsNewNameAtTheNextRefill) {
    EXPECT_EQ(Found("bank"), std::vector<std::string>{"b"});
    bank->SetName("Money");
    model.RefillList();
    EXPECT_TRUE(model.Rows().empty());
    EXPECT_EQ(Found("mone"), std::vector<std::string>{"b"});
    // A find narrows the search's rows further, and says so.
    model.RefillFiltered("nothing", false, false);
    EXPECT_TRUE(model.IsNarrowed());
}

TEST_F(QuickSearch, TheRowsItHidesFollowRemovalsArrivalsSortsAndAFind) {
    const auto names = [this] {
        std::vector<std::string> listed;
        for (const CRecord* r : model.Rows())
            listed.emplace_back(r->GetValue(0));
        return listed;
    };
    const auto record = [this](const char* name) {
        for (const auto& item : db.m_records.Items())
            if (item->GetValue(0) == name)
                return static_cast<CRecord*>(item.get());
        return static_cast<CRecord*>(nullptr);
    };
    model.SortByColumn(3);  // by field 1
    const std::vector<std::string> before = names();

    // A record the search hides goes; one arrives while it is set; the sort flips.
    model.SetSearch("personal");
    model.RemoveRecordRow(*record("b"));
    record("b")->m_deleted = true;
    CRecord* arrived = AddRecord(db, bank, nullptr, {"g"});
    model.InsertRecordRow(*arrived);
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "d", "e", "g"}));  // shown as it came
    model.SortByColumn(3);
    model.SetSearch("");
    EXPECT_EQ(names(), (std::vector<std::string>{"g", "f", "e", "d", "c", "a"}));
    EXPECT_FALSE(model.IsNarrowed());

    // Cleared, a search gives back what a find had narrowed the list to.
    model.RefillFiltered("example", false, false);
    EXPECT_EQ(names(), std::vector<std::string>{"a"});
    model.SetSearch("s");
    model.SetSearch("");
    EXPECT_EQ(names(), std::vector<std::string>{"a"});
    EXPECT_TRUE(model.IsNarrowed());
    model.RefillList();
    EXPECT_EQ(names().size(), before.size());
}

TEST_F(QuickSearch, OnEveryCoreItFindsTheSameRowsInTheSameOrder) {
    std::vector<std::vector<CRecord*>> oneThread;
    const char* texts[] = {"e", "a", "personal", "unfiled", "cr\xE9", "nothing"};
    for (const char* text : texts) {
        model.SetSearch(text);
        oneThread.push_back(model.Rows());
    }
    model.SetSearch("");
    const CItemThreads saved = ItemThreads();
    ItemThreads() = {2, 1, 1};  // two threads from the first record, a record a piece
    for (size_t i = 0; i < std::size(texts); ++i) {
        model.SetSearch(texts[i]);
        EXPECT_EQ(model.Rows(), oneThread[i]) << texts[i];
    }
    ItemThreads() = saved;
}

TEST(QuickSearchFold, LettersFoldToTheirPlainLowerCaseAndOtherBytesStay) {
    const struct {
        uint8_t byte, folded;
    } cases[] = {
        {'A', 'a'},   {'z', 'z'},   {0xC0, 'a'}, {0xE5, 'a'},  {0xC7, 'c'}, {0xD1, 'n'},
        {0xD8, 'o'},  {0xDD, 'y'},  {0x9F, 'y'}, {0x8A, 's'},  {0x8E, 'z'}, {0xC6, 0xE6},
        {0xDF, 0xDF}, {0xD7, 0xD7}, {'1', '1'},  {0x80, 0x80},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SearchFold(c.byte), c.folded) << int(c.byte);
}

}  // namespace
}  // namespace tessarin
