#include "exchange/value_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "exchange/text_cursor.h"

namespace tessarin {

void AppendPlainValue(std::string& out, std::string_view value) {
    const bool special = SpanWithout(value, ',', '"', '\r', '\n') < value.size();
    const bool quoted = (!value.empty() && IsWhite(value[0])) ||
                        (special && (value.find(',') != std::string_view::npos ||
                                     value.find('"') != std::string_view::npos));
    if (!special && !quoted) {
        out.append(value);
        return;
    }
    if (quoted)
        out += '"';
    for (char c : value) {
        switch (c) {
            case '"':
                out.append("\"\"", 2);
                break;
            case '\r':
                out += '\v';
                break;
            case '\n':
                break;
            default:
                out += c;
        }
    }
    if (quoted)
        out += '"';
}

void AppendNumber(std::string& out, uint16_t value) {
    char digits[5];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n)
        out += digits[--n];
}

namespace {

// The two digits of every byte, high digit first.
constexpr std::array<std::array<char, 2>, 256> MakeHexPairs() {
    constexpr char digits[] = "0123456789ABCDEF";
    std::array<std::array<char, 2>, 256> pairs{};
    for (int b = 0; b < 256; ++b)
        pairs[b] = {digits[b >> 4], digits[b & 15]};
    return pairs;
}
constexpr std::array<std::array<char, 2>, 256> kHexPairs = MakeHexPairs();

}  // namespace

void AppendHex(std::string& out, const uint8_t* bytes, size_t size) {
    // Through a small buffer: growing the text first would fill it with zeros to no purpose.
    char digits[512];
    while (size) {
        const size_t n = size < sizeof digits / 2 ? size : sizeof digits / 2;
        for (size_t i = 0; i < n; ++i)
            std::memcpy(digits + 2 * i, kHexPairs[bytes[i]].data(), 2);
        out.append(digits, 2 * n);
        bytes += n;
        size -= n;
    }
}

void CRowWriter::Value(std::string_view text) {
    if (!m_key) {
        m_items.push_back({CItem::Value, text, 0, 0});
        return;
    }
    // The value's bytes, a zero, then filler: drawn at random, so that equal short values do not
    // give equal ciphertext.
    const size_t padded = (text.size() / 8 + 1) * 8;
    const size_t at = m_plain.size();
    m_plain.resize(at + padded);
    if (!text.empty())
        std::memcpy(m_plain.data() + at, text.data(), text.size());
    m_plain[at + text.size()] = 0;
    for (size_t i = at + text.size() + 1; i < at + padded; i += 4) {
        const uint32_t filler = m_random.RandomWord();
        std::memcpy(&m_plain[i], &filler, std::min<size_t>(4, at + padded - i));
    }
    m_items.push_back({CItem::Value, text, 0, padded});
}

void CRowWriter::End(bool trailingComma) {
    if (m_key)
        CipherWhole(*m_key, m_plain.data(), m_plain.size(), true);
    size_t cipherAt = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        const CItem& item = m_items[i];
        switch (item.kind) {
            case CItem::Literal:
                m_out.append(item.text);
                break;
            case CItem::Number:
                AppendNumber(m_out, item.number);
                break;
            case CItem::Value:
                if (m_key) {
                    AppendHex(m_out, m_plain.data() + cipherAt, item.plainSize);
                    cipherAt += item.plainSize;
                } else {
                    AppendPlainValue(m_out, item.text);
                }
                break;
        }
        if (trailingComma || i + 1 < m_items.size())
            m_out += ',';
    }
    m_out.append("\r\n", 2);
    m_items.clear();
    m_plain.clear();
}

}  // namespace tessarin
