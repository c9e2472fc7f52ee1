#pragma once

// How the record list orders two cell texts: as dates in the locale's order, as dotted numbers, as
// numbers, or else by the locale's collation without case, by the first of these that both texts
// are. A sort parses each text once into a CCellKey and compares keys.
#include <cstdint>
#include <string_view>

#include "base/locale.h"

namespace tessarin {

// The parts of the locale that decide what a cell text is.
struct CCellFormat {
    DateOrder order = DateOrder::MonthDayYear;
    char dateSeparator = '/';
    char decimalSymbol = '.';

    static CCellFormat Of(const ILocale& locale) {
        return {locale.GetDateOrder(), locale.DateSeparator(), locale.DecimalSymbol()};
    }
};

// What one cell text is as a date, a dotted number and a number. Refers to the text it was parsed
// from (a year of more than 19 digits), which must outlive it.
struct CCellKey {
    static constexpr uint8_t kDate = 1;
    static constexpr uint8_t kDotted = 2;
    static constexpr uint8_t kNumber = 4;

    uint8_t kinds = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint32_t dotted = 0;
    // The year's digits without leading zeros: how many, and their value when they fit (at most
    // 19); longer years are compared as digit strings, so no year is too large. A sort holds a
    // key per row, so the two share their room.
    uint32_t yearDigits = 0;
    union {
        uint64_t year = 0;     // yearDigits <= 19
        const char* yearText;  // yearDigits > 19
    };
    double number = 0;
};

static_assert(sizeof(CCellKey) <= 32, "a sort holds one key per row");

CCellKey ParseCellText(std::string_view text, const CCellFormat& format);

enum class CellRule : uint8_t { Date, Dotted, Number, Collation };

// The first rule that applies to both texts.
inline CellRule RuleFor(uint8_t kindsA, uint8_t kindsB) {
    const uint8_t both = kindsA & kindsB;
    if (both & CCellKey::kDate)
        return CellRule::Date;
    if (both & CCellKey::kDotted)
        return CellRule::Dotted;
    if (both & CCellKey::kNumber)
        return CellRule::Number;
    return CellRule::Collation;
}

// -1, 0 or 1 under a rule other than collation.
int CompareByRule(CellRule rule, const CCellKey& a, const CCellKey& b);

// -1, 0 or 1 as `s` sorts before, with or after `t` in a column of the list.
int CompareCellText(std::string_view s, std::string_view t, const ILocale& locale);

}  // namespace tessarin
