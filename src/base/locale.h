#pragma once

// What the record list takes from the user's locale: the order and separator of short dates, the
// decimal symbol, and collation with and without case. The desktop program and the CLI supply the
// system's; the core and the tests use a fixed one.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "base/collation.h"

namespace tessarin {

enum class DateOrder : uint8_t { MonthDayYear, DayMonthYear, YearMonthDay };

class ILocale : public ICollation {
public:
    virtual DateOrder GetDateOrder() const = 0;
    // The first character of the short-date separator, and of the decimal symbol (Windows-1252).
    virtual char DateSeparator() const = 0;
    virtual char DecimalSymbol() const = 0;

    // The texts' places in collation order, as numbers: ranks[i] < ranks[j] exactly when texts[i]
    // collates before texts[j], equal when they collate equal. A sort ranks its texts once and
    // then compares numbers; this one compares pairwise, a locale may do better.
    virtual std::vector<uint32_t> CollationRanks(std::span<const std::string_view> texts,
                                                 bool caseSensitive) const;
};

// Month-day-year with "/", a "." for decimals, and the fixed collation: the same on every machine.
class CFixedLocale : public ILocale {
public:
    CFixedLocale() = default;
    CFixedLocale(DateOrder order, char dateSeparator, char decimalSymbol)
        : m_order(order), m_dateSeparator(dateSeparator), m_decimalSymbol(decimalSymbol) {}

    int Compare(std::string_view a, std::string_view b, bool caseSensitive) const override {
        return m_collation.Compare(a, b, caseSensitive);
    }
    DateOrder GetDateOrder() const override { return m_order; }
    char DateSeparator() const override { return m_dateSeparator; }
    char DecimalSymbol() const override { return m_decimalSymbol; }
    std::vector<uint32_t> CollationRanks(std::span<const std::string_view> texts,
                                         bool caseSensitive) const override;

private:
    DateOrder m_order = DateOrder::MonthDayYear;
    char m_dateSeparator = '/';
    char m_decimalSymbol = '.';
    CFixedCollation m_collation;
};

// Ranks from an order of the texts' indices: equal neighbours by `compare` share a rank.
template <typename Compare>
std::vector<uint32_t> RanksFromOrder(std::span<const uint32_t> order, Compare compare) {
    std::vector<uint32_t> ranks(order.size());
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compare(order[i - 1], order[i]) != 0)
            ++rank;
        ranks[order[i]] = rank;
    }
    return ranks;
}

}  // namespace tessarin
