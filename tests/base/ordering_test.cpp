#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "base/locale.h"
#include "base/radix_sort.h"

namespace tessarin {
namespace {

TEST(RadixSort, SortsByKeyAndKeepsTheOrderOfEqualKeys) {
    std::mt19937_64 random(11);
    for (size_t n : {5, 64, 1000}) {
        std::vector<CKeyedIndex> items(n);
        for (uint32_t i = 0; i < n; ++i) {
            // Few distinct keys, differing in scattered bytes, so ties are many.
            const uint64_t k = random() % 7;
            items[i] = {k << 56 | (k * 3) << 20 | (k & 1), i};
        }
        std::vector<CKeyedIndex> expected = items;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return a.key < b.key; });
        std::vector<CKeyedIndex> scratch;
        RadixSort(items, scratch);
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(items[i].key, expected[i].key);
            EXPECT_EQ(items[i].index, expected[i].index);
        }
    }
}

TEST(FixedLocale, RanksFollowTheCollation) {
    // Texts that share long starts, end exactly at eight or sixteen bytes, differ only in case,
    // and hold letters beyond ASCII.
    std::mt19937 random(5);
    const char alphabet[] = {'a', 'A', 'b', '\xE9', '\xC9', ' ', '0', '\x01'};
    std::vector<std::string> texts;
    for (int i = 0; i < 600; ++i) {
        std::string text = i % 3 ? "https://" : "";
        const size_t length = random() % 3 == 0 ? 8 * (random() % 3) : random() % 20;
        while (text.size() < length)
            text += alphabet[random() % sizeof alphabet];
        texts.push_back(text);
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const CFixedLocale locale;
    for (bool caseSensitive : {false, true}) {
        const std::vector<uint32_t> ranks = locale.CollationRanks(views, caseSensitive);
        for (size_t i = 0; i < texts.size(); ++i) {
            for (size_t j = 0; j < texts.size(); j += 7) {
                const int order = locale.Compare(texts[i], texts[j], caseSensitive);
                ASSERT_EQ((order > 0) - (order < 0), (ranks[i] > ranks[j]) - (ranks[i] < ranks[j]))
                    << texts[i] << " | " << texts[j];
            }
        }
    }
}

}  // namespace
}  // namespace tessarin
