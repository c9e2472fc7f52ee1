#include "listing/record_order.h"

#include <algorithm>
#include <array>
#include <bit>
#include <numeric>
#include <optional>
#include <vector>

#include "base/radix_sort.h"
#include "listing/cell_compare.h"
#include "listing/list_columns.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

namespace {

// At most this many columns decide: the sort column and the three after it.
constexpr int kDecidingColumns = 4;

template <typename T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

int NextColumn(int column) {
    return (column + 1) % kColumnCount;
}

int64_t NumberOf(const CRecord& record, int column) {
    return column == kIconColumn ? record.m_icon : !record.GetNote().empty();
}

int CompareColumn(const CRecord& a, const CRecord& b, int column, const CDatabaseObj& database,
                  const ILocale& locale) {
    if (!IsTextColumn(column))
        return Sign(NumberOf(a, column), NumberOf(b, column));
    return CompareCellText(CellText(database, a, column, false),
                           CellText(database, b, column, false), locale);
}

// Sorts indices into the rows column by column: a range is ordered by one column, and each run of
// rows equal in it is then ordered by the next. Keys are made for a range at a time, so the later
// columns cost nothing where the first one decides.
class CRecordSorter {
public:
    CRecordSorter(std::span<CRecord* const> rows, CSortSetting sort, const CDatabaseObj& database,
                  const ILocale& locale)
        : m_rows(rows),
          m_direction(sort.ascending ? 1 : -1),
          m_types(database.m_types),
          m_categories(database.m_categories),
          m_locale(locale),
          m_format(CCellFormat::Of(locale)) {}

    void Sort(std::span<uint32_t> range, int column, int depth) {
        if (range.size() < 2 || depth == kDecidingColumns)
            return;
        if (IsTextColumn(column))
            SortByText(range, column, depth);
        else
            SortByNumber(range, column, depth);
    }

private:
    const CRecord& Row(uint32_t index) const { return *m_rows[index]; }
    // The record at position `p` of a range, asking for the one a little further on in advance:
    // after the first column the rows come in sorted order, scattered over memory.
    const CRecord& At(std::span<const uint32_t> range, size_t p) const {
        if (p + kPrefetchAhead < range.size())
            __builtin_prefetch(m_rows[range[p + kPrefetchAhead]]);
        return *m_rows[range[p]];
    }
    static constexpr size_t kPrefetchAhead = 16;
    static constexpr size_t kSample = 1000;

    // Orders `range` by `order` (positions within it), then sorts each run of rows that are
    // alike in this column by the next one; `sameAsBefore(k)` tells whether the k-th row of the
    // order is alike to the one before it.
    template <typename SameAsBefore>
    void Apply(std::span<uint32_t> range, const std::vector<uint32_t>& order, int column, int depth,
               SameAsBefore sameAsBefore) {
        const std::vector<uint32_t> rows(range.begin(), range.end());
        for (size_t k = 0; k < order.size(); ++k)
            range[k] = rows[order[k]];
        size_t start = 0;
        for (size_t k = 1; k <= order.size(); ++k) {
            if (k < order.size() && sameAsBefore(k))
                continue;
            if (k - start > 1)
                Sort(range.subspan(start, k - start), NextColumn(column), depth + 1);
            start = k;
        }
    }

    void SortByNumber(std::span<uint32_t> range, int column, int depth) {
        const uint64_t flip = m_direction > 0 ? 0 : ~uint64_t{0};
        std::vector<CKeyedIndex> items(range.size());
        for (uint32_t p = 0; p < range.size(); ++p)
            items[p] = {static_cast<uint64_t>(NumberOf(At(range, p), column)) ^ flip, p};
        RadixSort(items, m_scratch);
        std::vector<uint32_t> order(range.size());
        for (size_t k = 0; k < order.size(); ++k)
            order[k] = items[k].index;
        Apply(range, order, column, depth,
              [&](size_t k) { return items[k].key == items[k - 1].key; });
    }

    void SortByText(std::span<uint32_t> range, int column, int depth) {
        // At a million rows these arrays are tens of megabytes: each is written once, in
        // place, never first filled with zeros or grown by copying.
        const size_t n = range.size();
        std::vector<std::string_view> texts;
        std::vector<CCellKey> keys;
        texts.reserve(n);
        keys.reserve(n);
        std::string buffer;            // the texts of a field, back to back
        std::vector<uint32_t> nameOf;  // for names: which name each position shows
        const CShownNames* names = column == kTypeColumn       ? &m_types
                                   : column == kCategoryColumn ? &m_categories
                                                               : nullptr;
        if (names) {
            // Few distinct names, as a rule: each is parsed once a sort.
            const auto all = names->Names();
            CNameKeys& known = Known(*names);
            if (known.parsed.empty()) {
                known.parsed.resize(all.size());
                known.done.resize(all.size());
            }
            std::vector<CCellKey>& parsed = known.parsed;
            std::vector<bool>& done = known.done;
            nameOf.resize(n);
            for (size_t p = 0; p < n; ++p) {
                const CRecord& record = At(range, p);
                const uint32_t name = names->IndexOf(column == kTypeColumn ? record.GetTypeKey()
                                                                           : record.m_categoryKey);
                if (!done[name]) {
                    parsed[name] = ParseCellText(all[name], m_format);
                    done[name] = true;
                }
                nameOf[p] = name;
                texts.push_back(all[name]);
                keys.push_back(parsed[name]);
            }
        } else {
            // The texts are read from the records once, into one buffer that the collation
            // then reads in order.
            std::vector<size_t> ends(n);
            for (size_t p = 0; p < n; ++p) {
                const std::string_view text = At(range, p).GetValue(column - kFirstFieldColumn);
                if (p == kSample && n > 2 * kSample)  // room for all, judged from the first few
                    buffer.reserve(buffer.size() / kSample * n * 5 / 4);
                buffer += text;
                ends[p] = buffer.size();
            }
            for (size_t p = 0, start = 0; p < n; start = ends[p++]) {
                texts.push_back(std::string_view(buffer).substr(start, ends[p] - start));
                keys.push_back(ParseCellText(texts.back(), m_format));
            }
        }

        // Texts of one kind compare by one rule, a consistent order; kinds are merged after.
        std::array<std::vector<uint32_t>, 8> kinds;
        std::array<size_t, 8> kindSizes{};
        for (const CCellKey& key : keys)
            ++kindSizes[key.kinds & 7];
        for (size_t k = 0; k < kinds.size(); ++k)
            kinds[k].reserve(kindSizes[k]);
        for (uint32_t p = 0; p < n; ++p)
            kinds[keys[p].kinds & 7].push_back(p);
        const size_t kindCount =
            std::count_if(kinds.begin(), kinds.end(), [](const auto& k) { return !k.empty(); });
        std::vector<uint32_t> ranks;
        if (!kinds[0].empty() || kindCount > 1)
            ranks = names ? NameRanks(*names, nameOf) : m_locale.CollationRanks(texts, false);

        auto compare = [&](uint32_t x, uint32_t y) {
            const CellRule rule = RuleFor(keys[x].kinds, keys[y].kinds);
            if (rule == CellRule::Collation)
                return Sign(ranks[x], ranks[y]);
            return CompareByRule(rule, keys[x], keys[y]);
        };
        auto before = [&](uint32_t x, uint32_t y) {
            const int order = compare(x, y) * m_direction;
            return order != 0 ? order < 0 : x < y;
        };
        std::array<std::vector<bool>, 8> same;
        for (uint8_t k = 0; k < kinds.size(); ++k)
            same[k] = SortKind(kinds[k], RuleFor(k, k), keys, ranks, compare, before);
        if (kindCount == 1) {
            // Alike rows are known from the sort, without reading the keys again in their new
            // order.
            const size_t k = static_cast<size_t>(
                std::find_if(kinds.begin(), kinds.end(), [](const auto& k) { return !k.empty(); }) -
                kinds.begin());
            Apply(range, kinds[k], column, depth, [&](size_t i) { return bool(same[k][i]); });
            return;
        }
        const std::vector<uint32_t> order = Merge(kinds, n, before);
        Apply(range, order, column, depth,
              [&](size_t i) { return compare(order[i - 1], order[i]) == 0; });
    }

    // Orders the positions of one kind (given in increasing order) by the kind's rule in the
    // sort's direction, equal ones by position, and tells which are alike to the one before.
    // Their keys as numbers go through a radix sort; only dates of years too long for a number
    // need comparisons.
    template <typename Compare, typename Before>
    std::vector<bool> SortKind(std::vector<uint32_t>& kind, CellRule rule,
                               const std::vector<CCellKey>& keys,
                               const std::vector<uint32_t>& ranks, Compare compare, Before before) {
        std::vector<bool> same(kind.size());
        std::vector<CKeyedIndex> items(kind.size());
        const uint64_t flip = m_direction > 0 ? 0 : ~uint64_t{0};
        for (size_t i = 0; i < kind.size(); ++i) {
            const std::optional<uint64_t> key = OrderKey(rule, keys[kind[i]], ranks, kind[i]);
            if (!key) {
                std::sort(kind.begin(), kind.end(), before);
                for (size_t k = 1; k < kind.size(); ++k)
                    same[k] = compare(kind[k - 1], kind[k]) == 0;
                return same;
            }
            items[i] = {*key ^ flip, kind[i]};
        }
        RadixSort(items, m_scratch);
        for (size_t i = 0; i < kind.size(); ++i) {
            kind[i] = items[i].index;
            same[i] = i > 0 && items[i].key == items[i - 1].key;
        }
        return same;
    }

    // A text's place under a rule as a number that orders the same way.
    static std::optional<uint64_t> OrderKey(CellRule rule, const CCellKey& key,
                                            const std::vector<uint32_t>& ranks, uint32_t position) {
        switch (rule) {
            case CellRule::Collation:
                return ranks[position];
            case CellRule::Dotted:
                return key.dotted;
            case CellRule::Number: {
                // IEEE order as unsigned order: negatives flipped whole, positives above them.
                const uint64_t bits = std::bit_cast<uint64_t>(key.number == 0 ? 0.0 : key.number);
                return bits >> 63 ? ~bits : bits | uint64_t{1} << 63;
            }
            default:
                if (key.yearDigits > 14)
                    return std::nullopt;
                return key.year * 10000 + key.month * 100u + key.day;
        }
    }

    // Ranks of the positions' names, ranking each distinct name once.
    // What is known of the names of one list: each name's parsed key, and the names' collation
    // ranks. Found once a sort: each run of rows that tie in an earlier column would otherwise
    // parse and collate every name again.
    struct CNameKeys {
        std::vector<CCellKey> parsed;
        std::vector<bool> done;
        std::vector<uint32_t> ranks;
    };
    CNameKeys& Known(const CShownNames& names) {
        return &names == &m_types ? m_typeKeys : m_categoryKeys;
    }

    // The collation rank of each position's name.
    std::vector<uint32_t> NameRanks(const CShownNames& names, const std::vector<uint32_t>& nameOf) {
        std::vector<uint32_t>& nameRanks = Known(names).ranks;
        if (nameRanks.empty())
            nameRanks = m_locale.CollationRanks(names.Names(), false);
        std::vector<uint32_t> ranks(nameOf.size());
        for (size_t p = 0; p < nameOf.size(); ++p)
            ranks[p] = nameRanks[nameOf[p]];
        return ranks;
    }

    // Merges the sorted kinds: each step takes the first of their heads, as `before` finds it
    // scanning the kinds in turn.
    template <typename Before>
    static std::vector<uint32_t> Merge(const std::array<std::vector<uint32_t>, 8>& kinds, size_t n,
                                       Before before) {
        std::vector<uint32_t> order;
        order.reserve(n);
        std::array<size_t, 8> at{};
        while (order.size() < n) {
            int best = -1;
            for (int k = 0; k < 8; ++k) {
                if (at[k] == kinds[k].size())
                    continue;
                if (best < 0 || before(kinds[k][at[k]], kinds[best][at[best]]))
                    best = k;
            }
            order.push_back(kinds[best][at[best]++]);
        }
        return order;
    }

    std::span<CRecord* const> m_rows;
    int m_direction;
    CShownNames m_types;
    CShownNames m_categories;
    CNameKeys m_typeKeys, m_categoryKeys;
    const ILocale& m_locale;
    CCellFormat m_format;
    std::vector<CKeyedIndex> m_scratch;
};

}  // namespace

CSortSetting CSortSetting::FromInfo(uint32_t info) {
    const int column = static_cast<int>(info & 0xFFFF);
    if (column >= kColumnCount)
        return {};
    return {column, (info >> 16) != 0};
}

CSortSetting CSortSetting::AfterClick(int clickedColumn) const {
    if (clickedColumn == column)
        return {column, !ascending};
    return {clickedColumn, true};
}

int CompareRecords(const CRecord& a, const CRecord& b, CSortSetting sort,
                   const CDatabaseObj& database, const ILocale& locale) {
    const CRecord& first = sort.ascending ? a : b;
    const CRecord& second = sort.ascending ? b : a;
    int column = sort.column;
    for (int i = 0; i < kDecidingColumns; ++i, column = NextColumn(column))
        if (int order = CompareColumn(first, second, column, database, locale))
            return order;
    return 0;
}

void SortRecords(std::span<CRecord*> rows, CSortSetting sort, const CDatabaseObj& database,
                 const ILocale& locale) {
    std::vector<uint32_t> order(rows.size());
    std::iota(order.begin(), order.end(), 0u);
    CRecordSorter(rows, sort, database, locale).Sort(order, sort.column, 0);
    std::vector<CRecord*> sorted(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        sorted[i] = rows[order[i]];
    std::copy(sorted.begin(), sorted.end(), rows.begin());
}

}  // namespace tessarin
