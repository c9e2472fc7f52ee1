#pragma once

// The user's locale for the record list, from Qt: the short-date order and separator and the
// decimal symbol of QLocale, and collation by QCollator. The collators are made once with the
// locale, never per comparison; a sort converts each text once and compares Qt's sort keys.
#include <array>
#include <memory>

#include "base/locale.h"

class QLocale;

namespace tessarin {

class CQtLocale : public ILocale {
public:
    // The locale the environment names (LC_ALL, LC_TIME, LC_NUMERIC, LC_COLLATE, LANG). The C
    // locale spells months in its short dates; it takes the numeric dates of US English.
    static std::unique_ptr<CQtLocale> System();
    explicit CQtLocale(const QLocale& locale);
    ~CQtLocale() override;

    int Compare(std::string_view a, std::string_view b, bool caseSensitive) const override;
    DateOrder GetDateOrder() const override { return m_order; }
    char DateSeparator() const override { return m_dateSeparator; }
    char DecimalSymbol() const override { return m_decimalSymbol; }
    std::vector<uint32_t> CollationRanks(std::span<const std::string_view> texts,
                                         bool caseSensitive) const override;

private:
    struct CCollators;
    std::vector<uint32_t> RanksByKeys(std::span<const std::string_view> texts,
                                      bool caseSensitive) const;
    std::vector<uint32_t> RanksByWeights(std::span<const std::string_view> texts,
                                         const std::array<uint8_t, 256>& weights) const;
    CQtLocale(const QLocale& dates, const QLocale& numbers, const QLocale& collation);

    DateOrder m_order;
    char m_dateSeparator;
    char m_decimalSymbol;
    std::unique_ptr<CCollators> m_collators;
};

}  // namespace tessarin
