#pragma once

// The written forms of the values of exchange rows and CSV lines, and a row writer that puts a
// row's items together in either the plain or the protected form.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/random_source.h"
#include "base/secure_memory.h"
#include "security/blowfish.h"

namespace tessarin {

// The plain form: quoted when the value holds a comma or a double quote, or begins with a blank or
// a line end (which a reader would skip); quotes doubled, CR written as a vertical tab, LF dropped.
void AppendPlainValue(std::string& out, std::string_view value);

// Unsigned decimal, no leading zeros.
void AppendNumber(std::string& out, uint16_t value);

// Upper-case hexadecimal, two digits a byte, high digit first.
void AppendHex(std::string& out, const uint8_t* bytes, size_t size);

// One row: flags, numbers and values, joined by commas. In the protected form every value is
// padded (its bytes, a zero, filler up to a multiple of 8), enciphered and written in hexadecimal;
// a row's values are enciphered together, as the blocks are independent.
class CRowWriter {
public:
    CRowWriter(std::string& out, const CKeySchedule* key, CRandomSource& random)
        : m_out(out), m_key(key), m_random(random) {}

    void Literal(std::string_view text) { m_items.push_back({CItem::Literal, text, 0, 0}); }
    void Number(uint16_t value) { m_items.push_back({CItem::Number, {}, value, 0}); }
    // The text must stay valid until End.
    void Value(std::string_view text);
    // Writes the row and CR LF. With `trailingComma` every item is followed by a comma, else
    // commas only separate them.
    void End(bool trailingComma);

private:
    struct CItem {
        enum Kind { Literal, Number, Value } kind;
        std::string_view text;
        uint16_t number;
        size_t plainSize;  // protected values: padded size in m_plain
    };

    std::string& m_out;
    const CKeySchedule* m_key;
    CRandomSource& m_random;
    std::vector<CItem> m_items;
    // Values in the clear before they are enciphered: wiped when given back.
    std::vector<uint8_t, CWipingAllocator<uint8_t>> m_plain;
};

}  // namespace tessarin
