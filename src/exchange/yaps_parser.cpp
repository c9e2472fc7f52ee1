// Yaps' export: records of comma-separated tokens, each record after a "#".
#include "exchange/foreign_parsers.h"

namespace tessarin {

namespace {

class CYapsParser final : public IRowParser {
public:
    explicit CYapsParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        if (m_cursor.StartsWith(kYapsMagic))
            m_cursor.SkipLine();
        if (m_cursor.Peek() == '#')
            m_cursor.Advance();
        if (m_cursor.OnlyWhiteLeft())
            return false;
        while (!m_cursor.AtEnd() && m_cursor.Peek() != '#') {
            // Tokens 1 to 6 are the type name and fields 1 to 5; field 6 stays empty and the
            // tokens after them are note parts.
            if (row.values.size() == kFieldCount)
                row.values.emplace_back();
            row.values.emplace_back();
            ReadToken(row.values.back());
        }
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    // After leading blanks and line ends, up to a comma (consumed) or a "#" (not consumed). No
    // quoting; line breaks inside stay.
    void ReadToken(std::string& token) {
        m_cursor.SkipWhite();
        const std::string_view rest = m_cursor.Rest();
        const size_t length = rest.find_first_of(",#");
        token.assign(rest.substr(0, length));
        m_cursor.Advance(token.size());
        if (m_cursor.Peek() == ',')
            m_cursor.Advance();
    }

    CTextCursor m_cursor;
};

}  // namespace

std::unique_ptr<IRowParser> MakeYapsParser(std::string_view text) {
    return std::make_unique<CYapsParser>(text);
}

}  // namespace tessarin
