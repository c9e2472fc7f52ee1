#include "base/radix_sort.h"

#include <algorithm>
#include <utility>

namespace tessarin {

void RadixSort(std::span<CKeyedIndex> items, std::vector<CKeyedIndex>& scratch) {
    if (items.size() < 64) {
        std::stable_sort(items.begin(), items.end(),
                         [](const CKeyedIndex& a, const CKeyedIndex& b) { return a.key < b.key; });
        return;
    }
    // Only the bytes in which some keys differ need a pass.
    uint64_t any = 0, all = ~uint64_t{0};
    for (const CKeyedIndex& item : items) {
        any |= item.key;
        all &= item.key;
    }
    const uint64_t varying = any ^ all;
    scratch.resize(items.size());
    CKeyedIndex* from = items.data();
    CKeyedIndex* to = scratch.data();
    for (int shift = 0; shift < 64; shift += 8) {
        if ((varying >> shift & 0xFF) == 0)
            continue;
        std::array<size_t, 256> starts{};
        for (size_t i = 0; i < items.size(); ++i)
            ++starts[from[i].key >> shift & 0xFF];
        size_t sum = 0;
        for (size_t& start : starts)
            sum += std::exchange(start, sum);
        for (size_t i = 0; i < items.size(); ++i)
            to[starts[from[i].key >> shift & 0xFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != items.data())
        std::copy(from, from + items.size(), items.data());
}

void CPackedTexts::Add(std::string_view text, const CByteMap& map) {
    for (char c : text)
        m_bytes += static_cast<char>(map[static_cast<uint8_t>(c)]);
    m_starts.push_back(m_bytes.size());
}

std::string_view CPackedTexts::Text(uint32_t i, size_t from) const {
    const size_t begin = std::min(m_starts[i] + from, m_starts[i + 1]);
    return std::string_view(m_bytes).substr(begin, m_starts[i + 1] - begin);
}

uint64_t CPackedTexts::Chunk(uint32_t i, size_t from) const {
    const std::string_view text = Text(i, from);
    uint64_t chunk = 0;
    for (size_t k = 0; k < 8; ++k)
        chunk = chunk << 8 | (k < text.size() ? static_cast<uint8_t>(text[k]) : 0);
    return chunk;
}

std::vector<uint32_t> CPackedTexts::Order(std::vector<bool>* same) const {
    const size_t n = Size();
    std::vector<CKeyedIndex> items(n), scratch;
    for (uint32_t i = 0; i < n; ++i)
        items[i] = {0, i, static_cast<uint32_t>(m_starts[i + 1] - m_starts[i])};
    // Whether each place holds the same text as the one before: only texts that stay together
    // to the end of a run are.
    std::vector<bool> equal(n);
    struct CRun {
        size_t begin, end, depth;
    };
    std::vector<CRun> runs = {{0, n, 0}};
    while (!runs.empty()) {
        const CRun run = runs.back();
        runs.pop_back();
        const std::span<CKeyedIndex> part(items.data() + run.begin, run.end - run.begin);
        if (part.size() < 32) {
            std::sort(part.begin(), part.end(), [&](const CKeyedIndex& a, const CKeyedIndex& b) {
                return Text(a.index, run.depth) < Text(b.index, run.depth);
            });
            for (size_t k = 1; k < part.size(); ++k)
                equal[run.begin + k] = Text(part[k - 1].index) == Text(part[k].index);
            continue;
        }
        for (CKeyedIndex& item : part)
            item.key = Chunk(item.index, run.depth);
        RadixSort(part, scratch);
        // Within equal eight bytes: the texts that end there first, shorter first; the rest go
        // on to the next eight.
        const size_t next = run.depth + 8;
        for (size_t a = 0, b; a < part.size(); a = b) {
            b = a + 1;
            while (b < part.size() && part[b].key == part[a].key)
                ++b;
            // (Lengths travel with the items: looking them up in sorted order would be a
            // scattered read for every text.)
            const auto ended = [&](const CKeyedIndex& item) { return item.extra <= next; };
            const auto goOn = std::stable_partition(part.begin() + a, part.begin() + b, ended);
            std::stable_sort(part.begin() + a, goOn,
                             [](const auto& x, const auto& y) { return x.extra < y.extra; });
            // Texts that end here alike in length are alike throughout.
            for (auto k = part.begin() + a + 1; k < goOn; ++k)
                equal[run.begin + static_cast<size_t>(k - part.begin())] = k[-1].extra == k->extra;
            const size_t from = run.begin + static_cast<size_t>(goOn - part.begin());
            if (run.begin + b - from > 1)
                runs.push_back({from, run.begin + b, next});
        }
    }
    std::vector<uint32_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = items[i].index;
    if (same)
        *same = std::move(equal);
    return order;
}

std::vector<uint32_t> CPackedTexts::Ranks() const {
    std::vector<bool> same;
    const std::vector<uint32_t> order = Order(&same);
    std::vector<uint32_t> ranks(order.size());
    uint32_t rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        rank += i > 0 && !same[i];
        ranks[order[i]] = rank;
    }
    return ranks;
}

}  // namespace tessarin
