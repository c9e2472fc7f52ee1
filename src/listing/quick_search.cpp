#include "listing/quick_search.h"

#include <cstring>

#include "base/text_case.h"

namespace tessarin {

namespace {

// Windows-1252 letters with accents, by the letter they carry them on.
struct CAccented {
    char base;
    const char* letters;
};
constexpr CAccented kAccented[] = {
    {'a', "\xC0\xC1\xC2\xC3\xC4\xC5\xE0\xE1\xE2\xE3\xE4\xE5"},
    {'c', "\xC7\xE7"},
    {'e', "\xC8\xC9\xCA\xCB\xE8\xE9\xEA\xEB"},
    {'i', "\xCC\xCD\xCE\xCF\xEC\xED\xEE\xEF"},
    {'n', "\xD1\xF1"},
    {'o', "\xD2\xD3\xD4\xD5\xD6\xD8\xF2\xF3\xF4\xF5\xF6\xF8"},
    {'u', "\xD9\xDA\xDB\xDC\xF9\xFA\xFB\xFC"},
    {'y', "\xDD\xFD\xFF\x9F"},
    {'s', "\x8A\x9A"},
    {'z', "\x8E\x9E"},
};

std::array<uint8_t, 256> MakeFold() {
    std::array<uint8_t, 256> fold{};
    for (int b = 0; b < 256; ++b)
        fold[b] = LowerCp1252(static_cast<uint8_t>(b));
    for (const CAccented& a : kAccented)
        for (const char* c = a.letters; *c; ++c)
            fold[static_cast<uint8_t>(*c)] = static_cast<uint8_t>(a.base);
    return fold;
}

const std::array<uint8_t, 256> kFold = MakeFold();

constexpr uint64_t kEveryByte = 0x0101010101010101;
constexpr uint64_t kHighBits = 0x8080808080808080;

// Whether one of the word's bytes is zero (a byte above a zero byte may be taken for one too,
// which only sends the caller to look byte by byte).
constexpr uint64_t HasZeroByte(uint64_t word) {
    return (word - kEveryByte) & ~word & kHighBits;
}

uint64_t KeyBits(const ItemKey& key) {
    uint64_t bits;
    std::memcpy(&bits, key.bytes.data(), sizeof bits);
    return bits;
}

}  // namespace

uint8_t SearchFold(uint8_t byte) {
    return kFold[byte];
}

CQuickSearch::CQuickSearch(std::string_view text, const CDatabaseObj& database) {
    m_text.reserve(text.size());
    for (char c : text)
        m_text.push_back(static_cast<char>(kFold[static_cast<uint8_t>(c)]));
    if (m_text.empty())
        return;
    // As the list names them: an item by its name (even one marked deleted), a key nothing
    // holds as "Unfiled".
    const auto names = [this](const CItemList& items, CNameHits& hits) {
        for (const auto& item : items.Items()) {
            const bool holds = Matches(item->GetName());
            hits.known[KeyBits(item->m_key)] = holds;
            hits.any = hits.any || holds;
        }
        hits.unknown = Matches(items.NameOf(AnyKey));
        hits.any = hits.any || hits.unknown;
    };
    names(database.m_types, m_types);
    names(database.m_categories, m_categories);
}

bool CQuickSearch::CNameHits::Holds(const ItemKey& key) const {
    if (!any)
        return false;
    const auto found = known.find(KeyBits(key));
    return found == known.end() ? unknown : found->second;
}

bool CQuickSearch::Narrows(const CQuickSearch& wider) const {
    return m_text.find(wider.m_text) != std::string::npos;
}

bool CQuickSearch::Matches(std::string_view value) const {
    const size_t length = m_text.size();
    if (length == 0)
        return true;
    if (value.size() < length)
        return false;
    const auto* v = reinterpret_cast<const uint8_t*>(value.data());
    const auto* t = reinterpret_cast<const uint8_t*>(m_text.data());
    const uint8_t first = t[0];
    // Only the text's first letter in either case, or a byte past ASCII (an accented letter),
    // can begin a match: eight bytes without one are passed over at once.
    const uint64_t lower = kEveryByte * first;
    const uint64_t upper =
        kEveryByte *
        static_cast<uint8_t>(first >= 'a' && first <= 'z' ? first - ('a' - 'A') : first);
    for (size_t i = 0, last = value.size() - length; i <= last; ++i) {
        if (i + 8 <= value.size()) {
            uint64_t word;
            std::memcpy(&word, v + i, sizeof word);
            if (!(HasZeroByte(word ^ lower) | HasZeroByte(word ^ upper) | (word & kHighBits))) {
                i += 7;
                continue;
            }
        }
        if (kFold[v[i]] != first)
            continue;
        size_t j = 1;
        while (j < length && kFold[v[i + j]] == t[j])
            ++j;
        if (j == length)
            return true;
    }
    return false;
}

bool CQuickSearch::Matches(const CRecord& record) const {
    if (m_text.empty())
        return true;
    if (m_types.Holds(record.GetTypeKey()) || m_categories.Holds(record.m_categoryKey))
        return true;
    for (int i = 0; i < kFieldCount; ++i)
        if (Matches(record.GetValue(i)))
            return true;
    return Matches(record.GetNote());
}

}  // namespace tessarin
