#include "base/locale.h"

#include <algorithm>
#include <numeric>

#include "base/radix_sort.h"
#include "base/text_case.h"

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
    if (caseSensitive) {
        return RankBy(texts.size(), [&](uint32_t a, uint32_t b) {
            return m_collation.CFixedCollation::Compare(texts[a], texts[b], true);
        });
    }
    // Without case the order is that of the lowered bytes, shorter first among equal starts.
    static const CByteMap lower = [] {
        CByteMap table{};
        for (int b = 0; b < 256; ++b)
            table[b] = LowerCp1252(static_cast<uint8_t>(b));
        return table;
    }();
    CPackedTexts lowered;
    size_t bytes = 0;
    for (std::string_view text : texts)
        bytes += text.size();
    lowered.Reserve(texts.size(), bytes);
    for (std::string_view text : texts)
        lowered.Add(text, lower);
    return lowered.Ranks();
}

}  // namespace tessarin
