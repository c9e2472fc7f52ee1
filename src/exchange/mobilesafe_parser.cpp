// MobileSafe's export: records of a title line and "label: value" lines, separated by blank lines.
#include "exchange/foreign_parsers.h"
#include "exchange/line_reader.h"

namespace tessarin {

namespace {

class CMobileSafeParser final : public IRowParser {
public:
    explicit CMobileSafeParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        if (m_cursor.OnlyWhiteLeft())
            return false;
        std::string_view line;
        if (m_cursor.StartsWith(kMobileSafeMagic)) {
            ReadLine(m_cursor, line);
        } else {
            m_cursor.SkipLineEnds();
            ReadLine(m_cursor, line);  // the record's title
        }
        ReadLabelledRecord(m_cursor, row, true, false);
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    CTextCursor m_cursor;
};

}  // namespace

std::unique_ptr<IRowParser> MakeMobileSafeParser(std::string_view text) {
    return std::make_unique<CMobileSafeParser>(text);
}

}  // namespace tessarin
