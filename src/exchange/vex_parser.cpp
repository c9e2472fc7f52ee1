// The row parsers of exchange files, versions 2.0 and 1.0.
#include "exchange/vex_parser.h"
#include "exchange/import_row.h"
#include "exchange/value_reader.h"
#include "exchange/value_writer.h"
#include "exchange/vex_format.h"

namespace tessarin {

namespace {

class CVexParser final : public IRowParser {
public:
    CVexParser(std::string_view text, const CKeySchedule* key, bool version2)
        : m_cursor(text), m_key(key), m_version2(version2) {}

    bool Next(CImportRow& row) override;
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    // Where a protected value goes once the row's values are deciphered.
    enum Slot : int { kCategory = -1, kFirstLabel = -2 };  // labels: kFirstLabel - index
    struct CPending {
        int slot;  // >= 0: values[slot]
        size_t at;
        size_t size;
    };

    void SkipHeader();
    ValueEnd ReadValueTo(CImportRow& row, int slot);
    std::string& SlotOf(CImportRow& row, int slot);
    void Decipher(CImportRow& row);
    void ReadTypeOrRecord(CImportRow& row);

    CTextCursor m_cursor;
    const CKeySchedule* m_key;
    bool m_version2;
    bool m_started = false;
    bool m_protected = false;
    std::string m_scratch;
    // A value of the row being read ended inside a cipher block.
    bool m_partBlock = false;
    // Values deciphered in place: wiped when given back.
    CWipedChars m_cipher;
    std::vector<CPending> m_pending;
};

void CVexParser::SkipHeader() {
    m_started = true;
    if (!m_cursor.StartsWith(m_version2 ? kVex2Magic : kVex1Magic))
        return;
    m_cursor.SkipLine();
    m_protected = ReadFlag(m_cursor, m_scratch);
    if (!m_cursor.AtLineEnd())
        m_cursor.SkipLine();
}

std::string& CVexParser::SlotOf(CImportRow& row, int slot) {
    if (slot >= 0)
        return row.values[static_cast<size_t>(slot)];
    if (slot == kCategory)
        return row.category;
    return row.customLabels[static_cast<size_t>(kFirstLabel - slot)];
}

ValueEnd CVexParser::ReadValueTo(CImportRow& row, int slot) {
    if (slot >= 0)
        row.values.emplace_back();
    if (!m_protected)
        return ReadValue(m_cursor, SlotOf(row, slot));
    // Only whole blocks can be deciphered; a value's bytes past its last whole block are dropped.
    const ValueEnd end = ReadValue(m_cursor, m_scratch);
    const size_t at = m_cipher.size();
    const size_t appended = AppendHexBytes(m_scratch, m_cipher);
    // Every writer enciphers whole blocks: a value that ends inside one was cut (the last value
    // of a file cut short, often its note), and what it held is lost.
    if (appended % 8 != 0)
        m_partBlock = true;
    const size_t size = appended & ~static_cast<size_t>(7);
    m_cipher.resize(at + size);
    m_pending.push_back({slot, at, size});
    return end;
}

void CVexParser::Decipher(CImportRow& row) {
    if (m_pending.empty())
        return;
    auto* bytes = reinterpret_cast<uint8_t*>(m_cipher.data());
    CipherWhole(*m_key, bytes, m_cipher.size(), false);
    for (const CPending& p : m_pending) {
        std::string_view plain(m_cipher.data() + p.at, p.size);
        plain = plain.substr(0, plain.find('\0'));
        SlotOf(row, p.slot).assign(plain);
    }
    m_pending.clear();
    m_cipher.clear();
}

void CVexParser::ReadTypeOrRecord(CImportRow& row) {
    row.typeRow = ReadFlag(m_cursor, m_scratch);
    if (m_cursor.AtLineEnd())
        return;
    row.icon = ReadNumber(m_cursor, m_scratch);
    if (!m_version2) {
        // Version 1.0: every value up to the line end.
        for (int slot = 0; !m_cursor.AtLineEnd(); ++slot)
            ReadValueTo(row, slot);
        return;
    }
    row.cut = !row.typeRow;  // until its category has been read
    const int count = row.typeRow ? 1 + kFieldCount : kFieldCount;
    for (int slot = 0; slot < count && !m_cursor.AtLineEnd(); ++slot)
        ReadValueTo(row, slot);
    if (m_cursor.AtLineEnd())
        return;
    row.mask = ReadNumber(m_cursor, m_scratch);
    if (row.typeRow) {
        m_cursor.SkipLine();
        return;
    }
    for (int i = 0; i < kFieldCount && !m_cursor.AtLineEnd(); ++i)
        ReadValueTo(row, kFirstLabel - i);
    if (m_cursor.AtLineEnd())
        return;
    // Every writer ends the category with a comma, the note following it (empty or not): a line
    // that ends sooner, or a note whose quote never closes, was cut.
    if (ReadValueTo(row, kCategory) != ValueEnd::Comma)
        return;
    row.cut = false;
    if (m_cursor.AtLineEnd())
        return;
    if (ReadValueTo(row, static_cast<int>(row.values.size())) == ValueEnd::OpenQuote)
        row.cut = true;
    m_cursor.SkipLine();
}

bool CVexParser::Next(CImportRow& row) {
    row.Clear();
    if (!m_started)
        SkipHeader();
    if (m_protected && !m_key)
        return false;
    m_cursor.SkipLineEnds();
    if (m_cursor.OnlyWhiteLeft())
        return false;
    m_partBlock = false;
    ReadTypeOrRecord(row);
    if (m_partBlock)
        row.cut = true;
    Decipher(row);
    return true;
}

}  // namespace

std::unique_ptr<IRowParser> MakeVexParser(std::string_view text, const CKeySchedule* key,
                                          bool version2) {
    return std::make_unique<CVexParser>(text, key, version2);
}

}  // namespace tessarin
