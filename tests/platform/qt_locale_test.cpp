#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <span>
#include <string>

#include <QLocale>

#include "listing/cell_compare.h"
#include "listing/record_order.h"
#include "platform/qt_locale.h"
#include "store/core_context.h"

namespace tessarin {
namespace {

TEST(QtLocale, DateOrderSeparatorAndDecimalSymbolOfTheLocale) {
    const struct {
        const char* name;
        DateOrder order;
        char separator;
        char decimal;
    } cases[] = {
        {"en_US", DateOrder::MonthDayYear, '/', '.'},
        {"en_GB", DateOrder::DayMonthYear, '/', '.'},
        {"de_DE", DateOrder::DayMonthYear, '.', ','},
        {"sv_SE", DateOrder::YearMonthDay, '-', ','},
        {"hu_HU", DateOrder::YearMonthDay, '.', ','},
        // Direction marks around the separator are skipped; a decimal symbol that Windows-1252
        // cannot hold falls back to ".".
        {"ar_EG", DateOrder::DayMonthYear, '/', '.'},
    };
    for (const auto& c : cases) {
        const CQtLocale locale{QLocale(QString::fromLatin1(c.name))};
        EXPECT_EQ(locale.GetDateOrder(), c.order) << c.name;
        EXPECT_EQ(locale.DateSeparator(), c.separator) << c.name;
        EXPECT_EQ(locale.DecimalSymbol(), c.decimal) << c.name;
    }
    const CQtLocale us{QLocale(QStringLiteral("en_US"))};
    const CQtLocale uk{QLocale(QStringLiteral("en_GB"))};
    EXPECT_LT(CompareCellText("3/4/2004", "4/3/2004", us), 0);
    EXPECT_GT(CompareCellText("3/4/2004", "4/3/2004", uk), 0);
}

// Texts of up to `most` pieces each, the same on every run.
std::vector<std::string> Texts(std::span<const char* const> pieces, size_t count, unsigned most) {
    std::mt19937 random(static_cast<unsigned>(count));
    std::vector<std::string> texts(count);
    for (std::string& text : texts)
        for (unsigned n = random() % (most + 1); n-- > 0;)
            text += pieces[random() % pieces.size()];
    return texts;
}

// Whether the ranks order the texts as the locale collates them. The collator's order is a
// consistent one, so neighbours in rank order agreeing is agreeing throughout.
void ExpectRanksCollate(const CQtLocale& locale, const std::vector<std::string>& texts,
                        bool caseSensitive, const char* name) {
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const std::vector<uint32_t> ranks = locale.CollationRanks(views, caseSensitive);
    std::vector<uint32_t> order(texts.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return ranks[a] < ranks[b]; });
    for (size_t k = 1; k < order.size(); ++k) {
        const uint32_t a = order[k - 1], b = order[k];
        const int collated = locale.Compare(texts[a], texts[b], caseSensitive);
        ASSERT_EQ(ranks[a] == ranks[b] ? 0 : -1, (collated > 0) - (collated < 0))
            << name << ": " << texts[a] << " | " << texts[b];
    }
}

TEST(QtLocale, CollationWithAndWithoutCaseAndRanksThatAgreeWithIt) {
    const CQtLocale locale{QLocale(QStringLiteral("en_US"))};
    EXPECT_EQ(locale.Compare("abc", "ABC", false), 0);
    EXPECT_NE(locale.Compare("abc", "ABC", true), 0);
    EXPECT_LT(locale.Compare("apple", "Banana", false), 0);
    // Accented letters sort with their base letter, not after "z" as their code would.
    const std::string eclair =
        "\xE9"
        "clair";
    EXPECT_LT(locale.Compare(eclair, "fig", false), 0);
    EXPECT_GT(locale.Compare(eclair, "dog", false), 0);

    const char* pieces[] = {"a", "A", "b", "\xE9", "\xC9", "1", "-", " ", "z", "\x80"};
    const std::vector<std::string> texts = Texts(pieces, 200, 3);
    ExpectRanksCollate(locale, texts, false, "en_US");
    ExpectRanksCollate(locale, texts, true, "en_US");
}

TEST(QtLocale, LargeSortsRankAsTheCollatorOrdersInEveryLocale) {
    // Enough texts for the sort to rank plain ASCII by weights where the locale allows it; the
    // pieces include letters that some locales join ("ch", "aa", "cs", "dz") or move ("y", "z",
    // "w"), punctuation, and characters beyond ASCII.
    const char* pieces[] = {"a", "A",    "aa",   "b",    "ch",   "c", "h", "cs", "dz", "s",
                            "y", "z",    "w",    "v",    "0",    "9", " ", "-",  ".",  "@",
                            "_", "\xE9", "\xF8", "\xDF", "\x01", "Z", "'", "(",  "~"};
    const std::vector<std::string> texts = Texts(pieces, 2500, 5);
    for (const char* name : {"en_US", "da_DK", "cs_CZ", "hu_HU", "lt_LT", "et_EE", "sv_SE", "fr_FR",
                             "de_DE", "es_ES", "cy_GB"})
        ExpectRanksCollate(CQtLocale{QLocale(QString::fromLatin1(name))}, texts, false, name);
}

TEST(QtLocale, SortingRecordsAgreesWithComparingThemOneByOne) {
    // Words of letters and punctuation in one field, numbers with many repeats in the next: a
    // consistent order, so a stable sort by the record comparison gives the list's order.
    const char* pieces[] = {"a", "A", "aa", "ch", "b", "z", " ", "-", "\xE9", "o", "\xF6"};
    const std::vector<std::string> words = Texts(pieces, 2500, 4);
    CCoreContext context;
    CDatabaseObj database(context);
    for (size_t i = 0; i < words.size(); ++i) {
        auto record = std::make_unique<CRecord>();
        record->SetValue(0, words[i]);
        record->SetValue(1, std::to_string(i % 7));
        database.m_records.Add(std::move(record));
    }
    for (const char* name : {"en_US", "da_DK"}) {
        const CQtLocale locale{QLocale(QString::fromLatin1(name))};
        for (const CSortSetting sort : {CSortSetting{3, true}, CSortSetting{4, false}}) {
            std::vector<CRecord*> rows;
            for (size_t i = database.m_records.Size(); i-- > 0;)
                rows.push_back(database.RecordAt(i));
            std::vector<CRecord*> expected = rows;
            std::stable_sort(expected.begin(), expected.end(), [&](CRecord* a, CRecord* b) {
                return CompareRecords(*a, *b, sort, database, locale) < 0;
            });
            SortRecords(rows, sort, database, locale);
            EXPECT_TRUE(rows == expected) << name << " column " << sort.column;
        }
    }
}

}  // namespace
}  // namespace tessarin
