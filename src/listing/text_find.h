#pragma once

// Whether a record holds a text, for narrowing the list: in any of its six values (the real ones,
// masked or not), or else in its note; never in names, labels or the icon.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/items.h"

namespace tessarin {

class CTextFinder {
public:
    // Without `caseSensitive` letters match in either case (Windows-1252 letters included).
    CTextFinder(std::string_view text, bool caseSensitive, bool wholeWord);

    // Whether `value` holds the text: anywhere, or with `wholeWord` at a place where what stands
    // just before it and just after it, where anything does, is a space, tab, CR or LF.
    // Punctuation does not end a word.
    bool Matches(std::string_view value) const;
    bool Matches(const CRecord& record) const;

private:
    // Where the text next occurs in `value` from `from` on, or npos.
    size_t Find(std::string_view value, size_t from) const;

    std::string m_text;  // lowered unless case matters
    bool m_caseSensitive;
    bool m_wholeWord;
    std::array<uint8_t, 256> m_lower{};
    // The bytes that lower-case to the text's first byte (one or two in Windows-1252), looked for
    // with memchr before anything else is compared.
    std::array<uint8_t, 2> m_first{};
    int m_firstCount = 0;
};

}  // namespace tessarin
