#include "listing/text_find.h"

#include <cstring>

#include "base/text_case.h"

namespace tessarin {

namespace {

bool IsWordBreak(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

}  // namespace

CTextFinder::CTextFinder(std::string_view text, bool caseSensitive, bool wholeWord)
    : m_text(caseSensitive ? std::string(text) : ToLowerCp1252(text)),
      m_caseSensitive(caseSensitive),
      m_wholeWord(wholeWord) {
    // A table of our own, so the search inlines its lookups.
    for (int b = 0; b < 256; ++b)
        m_lower[b] = LowerCp1252(static_cast<uint8_t>(b));
    for (int b = 0; b < 256 && !m_text.empty(); ++b)
        if (m_lower[b] == static_cast<uint8_t>(m_text[0]) && m_firstCount++ < 2)
            m_first[m_firstCount - 1] = static_cast<uint8_t>(b);
}

namespace {

// The first place in [from, end) that holds one of `bytes`, or end.
const uint8_t* FindAny(const uint8_t* from, const uint8_t* end, const uint8_t* bytes, int count) {
    for (int k = 0; k < count; ++k)
        if (const void* at = std::memchr(from, bytes[k], static_cast<size_t>(end - from)))
            end = static_cast<const uint8_t*>(at);
    return end;
}

}  // namespace

size_t CTextFinder::Find(std::string_view value, size_t from) const {
    if (m_caseSensitive)
        return value.find(m_text, from);
    const size_t length = m_text.size();
    if (length == 0)
        return from <= value.size() ? from : std::string_view::npos;
    if (value.size() < length)
        return std::string_view::npos;
    const auto* v = reinterpret_cast<const uint8_t*>(value.data());
    const auto* t = reinterpret_cast<const uint8_t*>(m_text.data());
    const uint8_t first = t[0];
    const uint8_t* end = v + (value.size() - length) + 1;  // where a match can no longer start
    for (size_t i = from, last = value.size() - length; i <= last; ++i) {
        if (m_firstCount <= 2) {
            i = static_cast<size_t>(FindAny(v + i, end, m_first.data(), m_firstCount) - v);
            if (i > last)
                break;
        } else if (m_lower[v[i]] != first) {
            continue;
        }
        size_t j = 1;
        while (j < length && m_lower[v[i + j]] == t[j])
            ++j;
        if (j == length)
            return i;
    }
    return std::string_view::npos;
}

bool CTextFinder::Matches(std::string_view value) const {
    for (size_t at = Find(value, 0); at != std::string_view::npos; at = Find(value, at + 1)) {
        if (!m_wholeWord)
            return true;
        const size_t end = at + m_text.size();
        if ((at == 0 || IsWordBreak(value[at - 1])) &&
            (end >= value.size() || IsWordBreak(value[end])))
            return true;
        if (at == value.size())
            break;
    }
    return false;
}

bool CTextFinder::Matches(const CRecord& record) const {
    for (int i = 0; i < kFieldCount; ++i)
        if (Matches(record.GetValue(i)))
            return true;
    return Matches(record.GetNote());
}

}  // namespace tessarin
