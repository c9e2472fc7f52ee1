#include "base/locale.h"

#include <algorithm>
#include <numeric>

namespace tessarin {

namespace {

template <typename Compare>
std::vector<uint32_t> RankBy(size_t count, Compare compare) {
    std::vector<uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return compare(a, b) < 0; });
    return RanksFromOrder(order, compare);
}

}  // namespace

std::vector<uint32_t> ILocale::CollationRanks(std::span<const std::string_view> texts,
                                              bool caseSensitive) const {
    return RankBy(texts.size(), [&](uint32_t a, uint32_t b) {
        return Compare(texts[a], texts[b], caseSensitive);
    });
}

std::vector<uint32_t> CFixedLocale::CollationRanks(std::span<const std::string_view> texts,
                                                   bool caseSensitive) const {
    // The same as the pairwise ranking, without a virtual call per comparison.
    return RankBy(texts.size(), [&](uint32_t a, uint32_t b) {
        return m_collation.CFixedCollation::Compare(texts[a], texts[b], caseSensitive);
    });
}

}  // namespace tessarin
