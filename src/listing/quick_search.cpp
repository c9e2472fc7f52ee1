#include "listing/quick_search.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/text_case.h"
#include "listing/list_columns.h"

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
    const uint8_t first = static_cast<uint8_t>(m_text[0]);
    int ascii = 0;
    for (int b = 0; b < 256; ++b) {
        if (kFold[b] != first)
            continue;
        if (b >= 0x80)
            m_firstAboveAscii = true;
        else if (ascii++ == 0)
            m_firstLower = m_firstUpper = static_cast<uint8_t>(b);
        else
            m_firstUpper = static_cast<uint8_t>(b);
    }
    if (ascii == 0)
        m_firstLower = m_firstUpper = first;  // only bytes above ASCII: the high bit finds them
    // As the list names them (CShownNames): a key by the name of the first item that has it
    // (even one marked deleted), a key no item has as "Unfiled".
    const auto names = [this](const CItemList& items, CNameHits& hits) {
        const CShownNames shown(items);
        const auto keys = shown.Keys();
        hits.known.assign(keys.begin(), keys.end());
        for (size_t i = 0; i < keys.size(); ++i)
            if (Matches(shown.Names()[i]))
                hits.hits.push_back(keys[i]);
        hits.unknown = Matches(shown.Names().back());
    };
    names(database.m_types, m_types);
    names(database.m_categories, m_categories);
}

bool CQuickSearch::CNameHits::Holds(const ItemKey& key) const {
    if (hits.empty() && !unknown)
        return false;
    const uint64_t bits = KeyBits(key);
    // Few names hold most texts: a short list is read through, a long one searched.
    if (hits.size() <= 8) {
        for (uint64_t hit : hits)
            if (hit == bits)
                return true;
    } else if (std::binary_search(hits.begin(), hits.end(), bits)) {
        return true;
    }
    return unknown && !std::binary_search(known.begin(), known.end(), bits);
}

bool CQuickSearch::Narrows(const CQuickSearch& wider) const {
    return m_text.find(wider.m_text) != std::string::npos;
}

namespace {

// A bit for each of the 16 bytes at `at` that may begin a match.
#if defined(__SSE2__)
inline unsigned Candidates(const uint8_t* at, __m128i lower, __m128i upper, bool aboveAscii) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i same = _mm_or_si128(_mm_cmpeq_epi8(bytes, lower), _mm_cmpeq_epi8(bytes, upper));
    unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(same));
    if (aboveAscii)
        bits |= static_cast<unsigned>(_mm_movemask_epi8(bytes));
    return bits;
}
#endif

}  // namespace

size_t CQuickSearch::Find(std::string_view value, size_t from) const {
    const size_t length = m_text.size();
    if (length == 0)
        return from <= value.size() ? from : std::string_view::npos;
    if (value.size() < length || from > value.size() - length)
        return std::string_view::npos;
    const auto* v = reinterpret_cast<const uint8_t*>(value.data());
    const auto* t = reinterpret_cast<const uint8_t*>(m_text.data());
    const size_t last = value.size() - length;  // the last place a match can begin
    const auto matchesAt = [&](size_t at) {
        for (size_t j = 0; j < length; ++j)
            if (kFold[v[at + j]] != t[j])
                return false;
        return true;
    };
#if defined(__SSE2__)
    // Sixteen bytes a step: only the few that may begin a match are compared further. The last
    // step reads the value's last sixteen bytes again rather than past its end; a value shorter
    // than that is copied first.
    const __m128i lower = _mm_set1_epi8(static_cast<char>(m_firstLower));
    const __m128i upper = _mm_set1_epi8(static_cast<char>(m_firstUpper));
    const size_t size = value.size();
    if (size < 16) {
        uint8_t copy[16] = {};
        std::memcpy(copy, v, size);
        for (unsigned bits = Candidates(copy, lower, upper, m_firstAboveAscii) >> from; bits;
             bits &= bits - 1) {
            const size_t at = from + static_cast<size_t>(__builtin_ctz(bits));
            if (at > last)
                break;
            if (matchesAt(at))
                return at;
        }
        return std::string_view::npos;
    }
    for (size_t step = from; step <= last; step += 16) {
        const size_t base = std::min(step, size - 16);
        for (unsigned bits = Candidates(v + base, lower, upper, m_firstAboveAscii) >> (step - base);
             bits; bits &= bits - 1) {
            const size_t at = step + static_cast<size_t>(__builtin_ctz(bits));
            if (at > last)
                return std::string_view::npos;
            if (matchesAt(at))
                return at;
        }
    }
    return std::string_view::npos;
#else
    for (size_t at = from; at <= last; ++at)
        if (kFold[v[at]] == t[0] && matchesAt(at))
            return at;
    return std::string_view::npos;
#endif
}

bool CQuickSearch::Matches(const CRecord& record) const {
    if (m_text.empty())
        return true;
    if (m_types.Holds(record.GetTypeKey()) || m_categories.Holds(record.m_categoryKey))
        return true;
    // The values and the note in one pass; a place that runs from one into the next is no match.
    const std::string_view texts = record.ValuesAndNote();
    for (size_t at = Find(texts, 0); at != std::string_view::npos; at = Find(texts, at + 1))
        if (record.InOneText(at, m_text.size()))
            return true;
    return false;
}

}  // namespace tessarin
