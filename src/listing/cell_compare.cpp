#include "listing/cell_compare.h"

#include <algorithm>
#include <cstring>

namespace tessarin {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A run of digits as a date part: its significant digits and, when they fit, their value.
struct CDigits {
    std::string_view significant;
    uint64_t value = 0;

    explicit CDigits(std::string_view digits) {
        size_t zeros = 0;
        while (zeros < digits.size() && digits[zeros] == '0')
            ++zeros;
        significant = digits.substr(zeros);
        if (significant.size() <= 19)
            for (char c : significant)
                value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    bool Above99() const { return significant.size() > 2; }
    // A day or a month: 0 when out of 0-99, which no valid date holds.
    uint8_t Small() const { return Above99() ? 0 : static_cast<uint8_t>(value); }
};

uint32_t DigitCount(uint64_t value) {
    uint32_t count = 0;
    for (; value; value /= 10)
        ++count;
    return count;
}

void SetYear(CCellKey& key, const CDigits& year) {
    key.yearDigits = static_cast<uint32_t>(year.significant.size());
    if (key.yearDigits <= 19)
        key.year = year.value;
    else
        key.yearText = year.significant.data();
}

void SetYear(CCellKey& key, uint64_t year) {
    key.yearDigits = DigitCount(year);
    key.year = year;
}

void ParseDate(std::string_view text, char separator, DateOrder order, CCellKey& key) {
    size_t cuts[2];
    int separators = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            if (separators == 2)
                return;
            cuts[separators++] = i;
        } else if (!IsDigit(text[i])) {
            return;
        }
    }
    uint8_t month, day;
    if (separators == 0) {
        // All digits, the empty text too: a year alone, always a date.
        SetYear(key, CDigits(text));
        key.kinds |= CCellKey::kDate;
        return;
    }
    const CDigits p(text.substr(0, cuts[0]));
    if (separators == 1) {
        const CDigits q(text.substr(cuts[0] + 1));
        if (q.Above99()) {
            SetYear(key, q);
            month = p.Small(), day = 1;
        } else if (p.Above99()) {
            SetYear(key, p);
            month = q.Small(), day = 1;
        } else {
            SetYear(key, uint64_t{0});
            if (order == DateOrder::DayMonthYear)
                day = p.Small(), month = q.Small();
            else
                month = p.Small(), day = q.Small();
        }
    } else {
        const CDigits q(text.substr(cuts[0] + 1, cuts[1] - cuts[0] - 1));
        const CDigits r(text.substr(cuts[1] + 1));
        const CDigits* year;
        switch (order) {
            case DateOrder::MonthDayYear:
                month = p.Small(), day = q.Small(), year = &r;
                break;
            case DateOrder::DayMonthYear:
                day = p.Small(), month = q.Small(), year = &r;
                break;
            default:
                month = q.Small(), day = r.Small(), year = &p;
                break;
        }
        if (year->Above99()) {
            SetYear(key, *year);
        } else {
            uint64_t y = year->value;
            if (y < 40)
                y += 2000;
            else if (y < 100)
                y += 1900;
            SetYear(key, y);
        }
    }
    if (day < 1 || day > 31 || month < 1 || month > 12)
        return;
    key.month = month;
    key.day = day;
    key.kinds |= CCellKey::kDate;
}

void ParseDotted(std::string_view text, CCellKey& key) {
    int dots = 0;
    uint32_t value = 0, part = 0;
    for (char c : text) {
        if (c == '.') {
            if (++dots > 3)
                return;
            value = value << 8 | part;
            part = 0;
        } else if (IsDigit(c)) {
            part = part * 10 + static_cast<uint32_t>(c - '0');  // wraps like the 32-bit original
        } else {
            return;
        }
    }
    if (dots != 3)
        return;
    key.dotted = value << 8 | part;
    key.kinds |= CCellKey::kDotted;
}

void ParseNumber(std::string_view text, char decimal, CCellKey& key) {
    if (text.empty())
        return;
    const bool startsNumeric = IsDigit(text[0]) || ((text[0] == '-' || text[0] == decimal) &&
                                                    text.size() > 1 && IsDigit(text[1]));
    if (!startsNumeric)
        return;
    size_t pos = 0;
    const bool negative = text[0] == '-';
    if (negative)
        ++pos;
    double value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        value = value * 10 + (text[pos] - '0');
    // The weight the next digit would have had; after the whole part, the tie-breaker starts at
    // 1/256.
    double weight = 1;
    if (pos < text.size() && text[pos] == decimal) {
        ++pos;
        weight = 0.1;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
            value += (text[pos] - '0') * weight;
            weight /= 10;
        }
    }
    // What follows breaks ties between equal numbers, each character 256 times lighter.
    for (double w = weight / 256; pos < text.size() && w >= 1e-30; ++pos, w /= 256) {
        auto code = static_cast<uint8_t>(text[pos]);
        if (code >= 'A' && code <= 'Z')
            code = static_cast<uint8_t>(code + ('a' - 'A'));
        value += code * w;
    }
    key.number = negative ? -value : value;
    key.kinds |= CCellKey::kNumber;
}

int CompareYears(const CCellKey& a, const CCellKey& b) {
    if (a.yearDigits <= 19 && b.yearDigits <= 19)
        return Sign(a.year, b.year);
    if (a.yearDigits != b.yearDigits)
        return Sign(a.yearDigits, b.yearDigits);
    const int order = std::memcmp(a.yearText, b.yearText, a.yearDigits);
    return Sign(order, 0);
}

}  // namespace

CCellKey ParseCellText(std::string_view text, const CCellFormat& format) {
    CCellKey key;
    ParseDate(text, format.dateSeparator, format.order, key);
    ParseDotted(text, key);
    ParseNumber(text, format.decimalSymbol, key);
    return key;
}

int CompareByRule(CellRule rule, const CCellKey& a, const CCellKey& b) {
    switch (rule) {
        case CellRule::Date:
            if (int order = CompareYears(a, b))
                return order;
            if (a.month != b.month)
                return Sign(a.month, b.month);
            return Sign(a.day, b.day);
        case CellRule::Dotted:
            return Sign(a.dotted, b.dotted);
        case CellRule::Number:
            return Sign(a.number, b.number);
        default:
            return 0;
    }
}

int CompareCellText(std::string_view s, std::string_view t, const ILocale& locale) {
    const CCellFormat format = CCellFormat::Of(locale);
    const CCellKey a = ParseCellText(s, format);
    const CCellKey b = ParseCellText(t, format);
    const CellRule rule = RuleFor(a.kinds, b.kinds);
    if (rule != CellRule::Collation)
        return CompareByRule(rule, a, b);
    return Sign(locale.Compare(s, t, false), 0);
}

}  // namespace tessarin
