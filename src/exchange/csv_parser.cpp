// The row parsers of CSV files (this program's and any other) and of TopSecret's CSV export.
#include <iterator>

#include "exchange/csv_format.h"
#include "exchange/value_reader.h"
#include "exchange/vex_format.h"

namespace tessarin {

namespace {

class CCsvParser final : public IRowParser {
public:
    explicit CCsvParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        if (m_cursor.StartsWith(kCsvMagic)) {
            m_cursor.SkipLine();
        } else if (m_cursor.StartsWith(kVex1Magic)) {
            m_cursor.SkipLine();
            m_cursor.SkipLine();
        }
        m_cursor.SkipLineEnds();
        if (m_cursor.OnlyWhiteLeft())
            return false;
        // Type name, six fields and the note, then the category. The rest of the line is left
        // for the next call: a line of more than nine values goes on as a further row.
        while (row.values.size() < 1 + kFieldCount + 1 && !m_cursor.AtLineEnd()) {
            row.values.emplace_back();
            ReadValue(m_cursor, row.values.back());
        }
        if (!m_cursor.AtLineEnd())
            ReadValue(m_cursor, row.category);
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    CTextCursor m_cursor;
};

class CTopSecretParser final : public IRowParser {
public:
    explicit CTopSecretParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        m_cursor.SkipLineEnds();
        if (m_cursor.OnlyWhiteLeft())
            return false;
        // Site, remark and kind: field 1, the note and the type. Further values are ignored.
        static constexpr size_t kPlaces[] = {1, 1 + kFieldCount, 0};
        row.values.resize(1 + kFieldCount + 1);
        for (size_t n = 0; !m_cursor.AtLineEnd(); ++n) {
            ReadValue(m_cursor, m_scratch);
            if (n < std::size(kPlaces))
                row.values[kPlaces[n]].swap(m_scratch);
        }
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    CTextCursor m_cursor;
    std::string m_scratch;
};

}  // namespace

std::unique_ptr<IRowParser> MakeCsvParser(std::string_view text) {
    return std::make_unique<CCsvParser>(text);
}

std::unique_ptr<IRowParser> MakeTopSecretParser(std::string_view text) {
    return std::make_unique<CTopSecretParser>(text);
}

}  // namespace tessarin
