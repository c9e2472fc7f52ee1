// eWallet's export: cards that begin with a "Card Name:" line, under "Category:" headings.
#include "exchange/foreign_parsers.h"
#include "exchange/line_reader.h"

namespace tessarin {

namespace {

constexpr std::string_view kCategoryHeading = "Category:";
constexpr std::string_view kCardName = "Card Name:";
constexpr std::string_view kCardType = "Card Type:";
// Type names are cut to 32 characters here (and to 31 by the row import).
constexpr size_t kCardTypeLength = 32;

class CEWalletParser final : public IRowParser {
public:
    explicit CEWalletParser(std::string_view text) : m_cursor(text) {}

    bool Next(CImportRow& row) override {
        row.Clear();
        m_cursor.SkipLineEnds();
        while (m_cursor.StartsWith(kCategoryHeading)) {
            m_cursor.SkipLine();
            m_cursor.SkipLineEnds();
        }
        if (m_cursor.OnlyWhiteLeft())
            return false;
        row.values.emplace_back();  // the type name, from "Card Type:"
        std::string_view line;
        while (ReadLine(m_cursor, line)) {
            std::string_view text;
            if (line.starts_with(kCardType)) {
                row.values[0] = CleanValue(line.substr(kCardType.size(), kCardTypeLength));
            } else if (StartsNote(line, text) || row.values.size() >= 1 + kFieldCount) {
                ReadNote(row, line, text);
                break;
            } else if (!line.starts_with("Label") && TextAfterColon(line, text)) {
                row.values.push_back(ReadLabelledValue(m_cursor, text, false, false));
            }
            if (CardEnds())
                break;
        }
        return true;
    }
    const CTextCursor& Cursor() const override { return m_cursor; }

private:
    static bool StartsNote(std::string_view line, std::string_view& text) {
        for (std::string_view label : {"Note:", "Notes:", "Card Notes:"})
            if (line.starts_with(label)) {
                text = line.substr(label.size());
                return true;
            }
        return false;
    }

    // After empty lines: the next heading or card, or the end.
    bool CardEnds() {
        m_cursor.SkipLineEnds();
        return m_cursor.AtEnd() || m_cursor.StartsWith(kCategoryHeading) ||
               m_cursor.StartsWith(kCardName);
    }

    // The note: a note label's text, or a whole line once six fields are full, and every line
    // after it up to the next heading or card.
    void ReadNote(CImportRow& row, std::string_view line, std::string_view text) {
        const bool labelled = StartsNote(line, text);
        row.values.resize(std::max<size_t>(row.values.size(), 1 + kFieldCount));
        std::string note(labelled ? text : line);
        note.append("\r\n");
        std::string_view next;
        while (!CardEnds() && ReadLine(m_cursor, next))
            note.append(next).append("\r\n");
        row.values.push_back(CleanValue(note));
    }

    CTextCursor m_cursor;
};

}  // namespace

std::unique_ptr<IRowParser> MakeEWalletParser(std::string_view text) {
    return std::make_unique<CEWalletParser>(text);
}

}  // namespace tessarin
