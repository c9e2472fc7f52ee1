// Cryptinfo's export: records of "label: value" lines, separated by blank lines.
#include "exchange/foreign_parsers.h"
#include "exchange/line_reader.h"

namespace tessarin {

namespace {

class CCryptinfoParser final : public IRowParser {
public:
    explicit CCryptinfoParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        std::string_view line;
        if (m_cursor.StartsWith(kCryptinfoMagic))
            ReadLine(m_cursor, line);
        if (m_cursor.OnlyWhiteLeft())
            return false;
        // A value's first line runs on into the next without a line break; "Note:" goes to the
        // note's place however many fields came before it.
        ReadLabelledRecord(m_cursor, row, false, true);
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    CTextCursor m_cursor;
};

}  // namespace

std::unique_ptr<IRowParser> MakeCryptinfoParser(std::string_view text) {
    return std::make_unique<CCryptinfoParser>(text);
}

}  // namespace tessarin
