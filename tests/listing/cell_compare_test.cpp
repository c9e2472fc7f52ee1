#include <gtest/gtest.h>

#include <string>

#include "listing/cell_compare.h"

namespace tessarin {
namespace {

const CFixedLocale kMonthFirst(DateOrder::MonthDayYear, '/', '.');
const CFixedLocale kDayFirst(DateOrder::DayMonthYear, '/', '.');
const CFixedLocale kYearFirst(DateOrder::YearMonthDay, '-', '.');
const CFixedLocale kGerman(DateOrder::DayMonthYear, '.', ',');

int Sign(int value) {
    return (value > 0) - (value < 0);
}

struct CCase {
    const char* s;
    const char* t;
    int expected;  // sign of CompareCellText(s, t)
    const CFixedLocale* locale;
};

TEST(CompareCellText, EachRuleDecidesWhenBothTextsAreOfItsKind) {
    const CCase cases[] = {
        // Digits alone are years: numeric order, leading zeros and all.
        {"9", "10", -1, &kMonthFirst},
        {"10", "100", -1, &kMonthFirst},
        {"007", "7", 0, &kMonthFirst},
        // Dates in the locale's order.
        {"1/2/2004", "12/1/2003", 1, &kMonthFirst},
        {"3/4/2004", "4/3/2004", -1, &kMonthFirst},
        {"3/4/2004", "4/3/2004", 1, &kDayFirst},
        {"2004-3-4", "2004-4-3", -1, &kYearFirst},
        {"1.2.2004", "2.1.2004", 1, &kGerman},
        // Two-digit years of three-part dates: below 40 in this century, else the last.
        {"1/1/39", "1/1/40", 1, &kMonthFirst},
        {"12/31/99", "1/1/00", -1, &kMonthFirst},
        {"1/1/100", "1/1/99", -1, &kMonthFirst},  // 100 stays year 100
        // Two parts: a part above 99 is the year (day 1), else year 0.
        {"03/06", "1/1/1900", -1, &kMonthFirst},
        {"03/06", "03/07", -1, &kMonthFirst},
        {"06/03", "07/02", 1, &kDayFirst},  // day-month: 6 March after 7 February
        {"06/2004", "2004/06", 0, &kMonthFirst},
        {"06/2004", "5/31/2004", 1, &kMonthFirst},
        // No day 32 or month 13: then the numbers decide, 13 after 12.
        {"13/1/2004", "12/31/2004", 1, &kMonthFirst},
        {"1/32/2004", "1/4/2004", -1, &kMonthFirst},
        // Years longer than any integer still compare by value.
        {"100000000000000000000", "99999999999999999999", 1, &kMonthFirst},
        {"1234567890123456789012", "1234567890123456789013", -1, &kMonthFirst},
        {"0000000000000000000000000005", "6", -1, &kMonthFirst},
        // Dotted numbers: 8 bits a part, a larger part spilling into the one before.
        {"10.0.0.2", "9.255.255.255", 1, &kMonthFirst},
        {"192.168.1.10", "192.168.1.9", 1, &kMonthFirst},
        {"1.2.0.256", "1.2.1.0", 0, &kMonthFirst},
        // Numbers: sign, decimals, and what follows breaking ties.
        {"-5", "3", -1, &kMonthFirst},
        {"-1.5", "-2", 1, &kMonthFirst},
        {"2.5", "10", -1, &kMonthFirst},
        {".5", "0.25", 1, &kMonthFirst},
        {"1,5", "1,25", 1, &kGerman},
        {"1.5", "1.25", 1, &kMonthFirst},
        {"5x", "5y", -1, &kMonthFirst},
        {"5a", "5A", 0, &kMonthFirst},
        {"10abc", "9xyz", 1, &kMonthFirst},
        {"1.5 kg", "1.5 g", 1, &kMonthFirst},
        {"-5x", "-5y", 1, &kMonthFirst},
        // Words: collation without case.
        {"apple", "Banana", -1, &kMonthFirst},
        {"abc", "ABC", 0, &kMonthFirst},
        {"-", "-x", -1, &kMonthFirst},
        // Different kinds fall through to the first rule both share, at worst collation.
        {"", "1/1/2000", -1, &kMonthFirst},
        {"abc", "10", 1, &kMonthFirst},
        {"10.0.0.2", "10.5", -1, &kMonthFirst},  // dotted against number: as numbers
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(std::string(c.s) + " vs " + c.t);
        EXPECT_EQ(Sign(CompareCellText(c.s, c.t, *c.locale)), c.expected);
        EXPECT_EQ(Sign(CompareCellText(c.t, c.s, *c.locale)), -c.expected);
    }
}

TEST(CompareCellText, ParsingFindsTheKindsOfAText) {
    const CCellFormat format = CCellFormat::Of(kMonthFirst);
    struct {
        const char* text;
        uint8_t kinds;
    } cases[] = {
        {"", CCellKey::kDate},
        {"2004", CCellKey::kDate | CCellKey::kNumber},
        {"1/2/2004", CCellKey::kDate | CCellKey::kNumber},
        {"1/2/3/4", CCellKey::kNumber},  // three separators: no date
        {"0/5", CCellKey::kNumber},      // month 0
        {"1.2.3.4", CCellKey::kDotted | CCellKey::kNumber},
        {"1.2.3", CCellKey::kNumber},
        {"1.2.3.4.5", CCellKey::kNumber},
        {"-5", CCellKey::kNumber},
        {"-.5", 0},
        {".5", CCellKey::kNumber},
        {"x5", 0},
        {"-", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCellText(c.text, format).kinds, c.kinds) << c.text;

    const CCellKey date = ParseCellText("06/2004", format);
    EXPECT_EQ(date.year, 2004u);
    EXPECT_EQ(date.month, 6);
    EXPECT_EQ(date.day, 1);
    EXPECT_EQ(ParseCellText("3/06", format).year, 0u);
    EXPECT_EQ(ParseCellText("1.2.3.4", format).dotted, 0x01020304u);
    EXPECT_DOUBLE_EQ(ParseCellText("-12.75", format).number, -12.75);
    EXPECT_DOUBLE_EQ(ParseCellText("3x", format).number, 3 + 'x' / 256.0);
}

}  // namespace
}  // namespace tessarin
