#pragma once

// Sorting many items in time linear in their number: what the record list uses for its orders,
// where a comparison sort's extra factor and its scattered reads show at a hundred thousand rows.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin {

struct CKeyedIndex {
    uint64_t key;
    uint32_t index;
    uint32_t extra = 0;  // carried along, for whoever sorts to keep at hand
};

// Sorts by key; items with equal keys keep their order. `scratch` is room the sort may use.
void RadixSort(std::span<CKeyedIndex> items, std::vector<CKeyedIndex>& scratch);

// A byte for each byte: the order a text's bytes are to be sorted in.
using CByteMap = std::array<uint8_t, 256>;

// Texts side by side in one buffer, put in the order of their (mapped) bytes, shorter first among
// equal starts: sorted by their first eight bytes as a number, then each run equal so far by the
// next eight, and so on, in time proportional to the bytes that decide.
class CPackedTexts {
public:
    void Reserve(size_t texts, size_t bytes) {
        m_starts.reserve(texts + 1);
        m_bytes.reserve(bytes);
    }
    // Adds a text with each byte put through `map`.
    void Add(std::string_view text, const CByteMap& map);
    size_t Size() const { return m_starts.size() - 1; }
    std::string_view Text(uint32_t i, size_t from = 0) const;

    // The texts' indices in order; with `same`, whether each is equal to the one before it,
    // found while sorting rather than by reading the texts again in their new order.
    std::vector<uint32_t> Order(std::vector<bool>* same = nullptr) const;
    // Each text's place in that order, equal texts sharing one.
    std::vector<uint32_t> Ranks() const;

private:
    uint64_t Chunk(uint32_t i, size_t from) const;

    std::string m_bytes;
    std::vector<size_t> m_starts = {0};
};

}  // namespace tessarin
