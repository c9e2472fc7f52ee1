#pragma once

// A position in an import text that is parsed in place. The text ends at its end or at its first
// zero byte, whichever comes first (the caller cuts it).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tessarin {

// Blanks and line ends as the readers skip them: space, tab, CR, LF, vertical tab, form feed.
constexpr bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The length of the longest prefix of `text` without any of the bytes a, b, c and d. Looks at eight
// bytes a step: values and lines are scanned for their ends on every import and export.
inline size_t SpanWithout(std::string_view text, char a, char b, char c, char d) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighs = 0x8080808080808080ull;
    auto holds = [](uint64_t word, char byte) {
        const uint64_t x = word ^ (kOnes * static_cast<uint8_t>(byte));
        return ((x - kOnes) & ~x & kHighs) != 0;
    };
    size_t n = 0;
    for (; n + 8 <= text.size(); n += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + n, 8);
        if (holds(word, a) || holds(word, b) || holds(word, c) || holds(word, d))
            break;
    }
    while (n < text.size() && text[n] != a && text[n] != b && text[n] != c && text[n] != d)
        ++n;
    return n;
}

class CTextCursor {
public:
    CTextCursor() = default;
    explicit CTextCursor(std::string_view text)
        : m_begin(text.data()), m_pos(text.data()), m_end(text.data() + text.size()) {}

    bool AtEnd() const { return m_pos == m_end; }
    // The next character, or 0 at the end.
    char Peek() const { return m_pos < m_end ? *m_pos : '\0'; }
    char PeekAt(size_t ahead) const {
        return static_cast<size_t>(m_end - m_pos) > ahead ? m_pos[ahead] : '\0';
    }
    void Advance(size_t count = 1) { m_pos += count; }
    bool StartsWith(std::string_view literal) const {
        return Rest().substr(0, literal.size()) == literal;
    }
    std::string_view Rest() const { return {m_pos, static_cast<size_t>(m_end - m_pos)}; }
    size_t Offset() const { return static_cast<size_t>(m_pos - m_begin); }
    const char* Position() const { return m_pos; }
    void SetPosition(const char* position) { m_pos = position; }

    // At CR, LF or the end of the text.
    bool AtLineEnd() const { return m_pos == m_end || *m_pos == '\r' || *m_pos == '\n'; }
    // Past the rest of this line and its line end (CR LF, CR or LF).
    void SkipLine();
    // Past any CR and LF characters.
    void SkipLineEnds();
    void SkipWhite();
    // Past spaces, tabs, vertical tabs and form feeds, stopping at a line end.
    void SkipBlanks();
    // Nothing but blanks and line ends is left.
    bool OnlyWhiteLeft() const;

private:
    const char* m_begin = nullptr;
    const char* m_pos = nullptr;
    const char* m_end = nullptr;
};

}  // namespace tessarin
