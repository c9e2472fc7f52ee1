#include "exchange/value_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace tessarin {

namespace {

// Appends [from, to) with every vertical tab made CR LF.
void AppendText(std::string& out, const char* from, const char* to) {
    for (const char* p = from; p < to;) {
        const auto* tab =
            static_cast<const char*>(std::memchr(p, '\v', static_cast<size_t>(to - p)));
        if (!tab) {
            out.append(p, static_cast<size_t>(to - p));
            break;
        }
        out.append(p, static_cast<size_t>(tab - p));
        out.append("\r\n", 2);
        p = tab + 1;
    }
}

// Whether the unquoted part of a value ends here.
bool EndsUnquoted(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

void ReadUnquoted(CTextCursor& cursor, std::string& out) {
    const std::string_view rest = cursor.Rest();
    const size_t n = SpanWithout(rest, ',', '\r', '\n', ',');
    AppendText(out, rest.data(), rest.data() + n);
    cursor.Advance(n);
}

}  // namespace

ValueEnd ReadValue(CTextCursor& cursor, std::string& out) {
    out.clear();
    cursor.SkipWhite();
    if (cursor.Peek() == '"') {
        cursor.Advance();
        for (;;) {
            const std::string_view rest = cursor.Rest();
            const size_t n = std::min(rest.find('"'), rest.size());
            AppendText(out, rest.data(), rest.data() + n);
            cursor.Advance(n);
            if (cursor.AtEnd())
                return ValueEnd::OpenQuote;
            // At a quote: doubled, it is one quote of the value; single, it closes the value.
            if (cursor.PeekAt(1) == '"') {
                out += '"';
                cursor.Advance(2);
                continue;
            }
            cursor.Advance();
            // Text between the closing quote and the next comma or line end: no writer makes
            // it; its first character is dropped and the value goes on, unquoted.
            if (!cursor.AtEnd() && !EndsUnquoted(cursor.Peek())) {
                cursor.Advance();
                ReadUnquoted(cursor, out);
            }
            break;
        }
    } else {
        ReadUnquoted(cursor, out);
    }
    if (cursor.Peek() != ',')
        return ValueEnd::Other;
    cursor.Advance();
    cursor.SkipBlanks();
    return ValueEnd::Comma;
}

bool ReadFlag(CTextCursor& cursor, std::string& scratch) {
    ReadValue(cursor, scratch);
    return !scratch.empty() && scratch[0] == 'T';
}

uint16_t NumberFromText(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // The low 16 bits of any number of digits, without overflow.
    uint16_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = static_cast<uint16_t>(value * 10u + static_cast<unsigned>(text[i] - '0'));
    return negative ? static_cast<uint16_t>(0u - value) : value;
}

uint16_t ReadNumber(CTextCursor& cursor, std::string& scratch) {
    ReadValue(cursor, scratch);
    return NumberFromText(scratch);
}

namespace {

// The value of each upper-case hexadecimal digit; 0xFF for every other byte.
constexpr std::array<uint8_t, 256> MakeHexDigits() {
    std::array<uint8_t, 256> digits{};
    digits.fill(0xFF);
    for (int c = 0; c < 10; ++c)
        digits['0' + c] = static_cast<uint8_t>(c);
    for (int c = 0; c < 6; ++c)
        digits['A' + c] = static_cast<uint8_t>(10 + c);
    return digits;
}
constexpr std::array<uint8_t, 256> kHexDigits = MakeHexDigits();

template <typename Bytes>
size_t AppendHex(std::string_view text, Bytes& out) {
    size_t i = 0;
    while (i < text.size() && IsWhite(text[i]))
        ++i;
    const auto* digits = reinterpret_cast<const uint8_t*>(text.data() + i);
    const size_t available = text.size() - i;
    size_t count = 0;
    while (count < available && kHexDigits[digits[count]] != 0xFF)
        ++count;
    count /= 2;
    // Through a small buffer: growing `out` first would fill it with zeros to no purpose.
    char bytes[256];
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(count - done, sizeof bytes);
        for (size_t b = 0; b < n; ++b, ++done)
            bytes[b] = static_cast<char>(kHexDigits[digits[2 * done]] << 4 |
                                         kHexDigits[digits[2 * done + 1]]);
        out.insert(out.end(), bytes, bytes + n);
    }
    return count;
}

}  // namespace

size_t AppendHexBytes(std::string_view text, std::string& out) {
    return AppendHex(text, out);
}

size_t AppendHexBytes(std::string_view text, CWipedChars& out) {
    return AppendHex(text, out);
}

}  // namespace tessarin
