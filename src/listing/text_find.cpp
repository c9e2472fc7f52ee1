#include "listing/text_find.h"

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
}

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
    for (size_t i = from, last = value.size() - length; i <= last; ++i) {
        if (m_lower[v[i]] != first)
            continue;
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
