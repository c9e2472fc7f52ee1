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

TEST_F(QuickSearch, AKeyIsSearchedByTheNameTheListShowsForItAmongManyNames) {
    // Two types with one key: the list shows the first one's name, and so does the search.
    CTypeItem* twin = AddType(db, "Twin");
    twin->m_key = bank->m_key;
    // More categories holding the text than a short list takes, each with a record of its own.
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "g" + std::to_string(i);
        CCategoryItem* category = AddCategory(db, "Group " + std::to_string(i));
        category->m_key = {{9, static_cast<uint8_t>(i), 1, 2, 3, 4, 5, 6}};
        AddRecord(db, login, category, {name});
        many.push_back(name);
    }
    model.RefillList();
    EXPECT_EQ(Found("twin"), std::vector<std::string>{});
    EXPECT_EQ(Found("bank"), std::vector<std::string>{"b"});
    std::sort(many.begin(), many.end());
    EXPECT_EQ(Found("group"), many);
    EXPECT_EQ(Found("group 17"), std::vector<std::string>{"g17"});
    EXPECT_EQ(Found("unfiled"), (std::vector<std::string>{"c", "f"}));
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

TEST_F(QuickSearch, AMatchLiesWithinOneValueOrTheNoteNeverAcrossTwoNorInALabel) {
    // Values and note lie back to back in memory: a text that only runs from one into the next
    // is in no record.
    CRecord* r = AddRecord(db, nullptr, nullptr, {"joined", "abc", "", "def"}, "note-text");
    r->SetCustomLabelText(0, "labelled");
    const struct {
        const char* text;
        bool found;
    } cases[] = {
        {"cd", false},       {"abcdef", false},    {"cde", false}, {"defnote", false},
        {"def", true},       {"abc", true},        {"fn", false},  {"note-text", true},
        {"labelled", false}, {"joinedabc", false}, {"ext", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CQuickSearch(c.text, db).Matches(*r), c.found) << c.text;
}

// What the search's rule says, one place at a time: the reference the fast search must agree
// with wherever the text lies in a value of any length.
bool HoldsFolded(std::string_view value, std::string_view text) {
    for (size_t at = 0; at + text.size() <= value.size(); ++at) {
        size_t j = 0;
        while (j < text.size() && SearchFold(static_cast<uint8_t>(value[at + j])) ==
                                      SearchFold(static_cast<uint8_t>(text[j])))
            ++j;
        if (j == text.size())
            return true;
    }
    return false;
}

TEST(QuickSearchMatch, AgreesWithTheRuleAtEveryPlaceInValuesOfEveryLength) {
    test::CTestContext context;
    CDatabaseObj db{context};
    // Letters in both cases, accented ones, and bytes that fold to nothing else.
    const std::string alphabet = "aAbBeE\xE9\xC9\xE8zZ\x9E\xDF\xC6\xE6-1 ";
    uint32_t seed = 7;
    const auto next = [&seed] { return seed = seed * 1103515245 + 12345, seed >> 16; };
    const char* texts[] = {"e",
                           "E",
                           "ab",
                           "\xC9"
                           "b",
                           "z\xDF",
                           "\xE6",
                           "-1",
                           "aaaa",
                           "eeeeeeeeeeeeeeeeeee"};
    for (size_t length = 0; length <= 70; ++length) {
        for (int round = 0; round < 20; ++round) {
            std::string value(length, ' ');
            for (char& c : value)
                c = alphabet[next() % alphabet.size()];
            for (const char* text : texts) {
                const CQuickSearch search(text, db);
                EXPECT_EQ(search.Matches(value), HoldsFolded(value, text))
                    << "\"" << value << "\" " << text;
            }
        }
    }
    // The text at the very end and the very start of values around the 16-byte steps.
    for (size_t length = 1; length <= 40; ++length) {
        const std::string end = std::string(length - 1, '-') + "Q";
        const std::string start = "Q" + std::string(length - 1, '-');
        EXPECT_TRUE(CQuickSearch("q", db).Matches(end)) << length;
        EXPECT_TRUE(CQuickSearch("q", db).Matches(start)) << length;
        EXPECT_FALSE(CQuickSearch("q-", db).Matches(end)) << length;
    }
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
