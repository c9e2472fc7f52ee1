// The row parser of the CSV exports of other password managers: the first line names the columns,
// in any order; each further record is one entry.
#include <algorithm>

#include "base/text_case.h"
#include "exchange/manager_entry.h"
#include "exchange/manager_formats.h"
#include "exchange/manager_text.h"

namespace tessarin {

namespace {

// LastPass marks its secure notes with this URL.
constexpr std::string_view kLastPassNoteUrl = "http://sn";

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool AllEmpty(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return f.empty(); });
}

class CManagerCsvParser final : public IRowParser {
public:
    CManagerCsvParser(ExchangeFormat format, std::string_view text)
        : m_format(format), m_reader(text) {
        // The byte-order mark, then the first line: the names of the columns.
        if (text.starts_with(kUtf8Bom))
            m_reader.Skip(kUtf8Bom.size());
        std::vector<std::string> names;
        if (m_reader.Next(names) != CCsvRecordReader::Result::Record)
            return;
        CImportText headings;
        for (const std::string& name : names) {
            const std::string_view trimmed = Trimmed(name);
            m_columns.push_back({headings.Convert(trimmed, {}), RoleOfColumn(format, trimmed)});
        }
    }

    bool Next(CImportRow& row) override {
        for (;;) {
            switch (m_reader.Next(m_fields)) {
                case CCsvRecordReader::Result::End:
                    return false;
                case CCsvRecordReader::Result::Unclosed:
                    // A quote that never closes swallowed the rest of the file: that is no entry.
                    row.Clear();
                    row.unreadable = true;
                    return true;
                case CCsvRecordReader::Result::Record:
                    break;
            }
            if (AllEmpty(m_fields))
                continue;  // blank lines
            CManagerEntry entry;
            Fill(entry);
            EntryToRow(entry, row);
            row.manager.replaced = m_text.TakeReplaced();
            return true;
        }
    }
    const CTextCursor& Cursor() const override { return m_reader.Cursor(); }

private:
    struct CColumnInfo {
        std::string name;  // as the first line writes it, in Windows-1252
        ColumnRole role;
    };

    void Fill(CManagerEntry& entry) {
        entry.mayHaveHead =
            m_format == ExchangeFormat::Bitwarden || m_format == ExchangeFormat::KeePassXc;
        std::string kind;
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const std::string_view field = m_fields[i];
            if (i >= m_columns.size()) {
                // Values beyond the named columns are kept as they are.
                if (!field.empty())
                    entry.lines.push_back(m_text.Convert(field, "#" + std::to_string(i + 1)));
                continue;
            }
            const CColumnInfo& column = m_columns[i];
            if (column.role == ColumnRole::Dropped || field.empty())
                continue;
            std::string value = m_text.Convert(field, column.name);
            switch (column.role) {
                case ColumnRole::Other:
                    entry.lines.push_back(NoteLine(column.name, value));
                    break;
                case ColumnRole::Dropped:
                    break;
                case ColumnRole::Name:
                    entry.name = std::move(value);
                    break;
                case ColumnRole::Username:
                    entry.username = std::move(value);
                    break;
                case ColumnRole::Email:
                    entry.email = std::move(value);
                    break;
                case ColumnRole::Password:
                    entry.password = std::move(value);
                    break;
                case ColumnRole::Url:
                    entry.urls.push_back(std::move(value));
                    break;
                case ColumnRole::Urls:
                    AddUrls(entry, value);
                    break;
                case ColumnRole::Totp:
                    entry.totp = std::move(value);
                    break;
                case ColumnRole::Notes:
                    entry.notes = std::move(value);
                    break;
                case ColumnRole::Folder:
                    entry.category = FolderCategory(value);
                    break;
                case ColumnRole::Kind:
                    kind = std::move(value);
                    break;
                case ColumnRole::Fields:
                    AddFieldLines(entry, value);
                    break;
                case ColumnRole::Tags:
                    entry.tags = std::move(value);
                    break;
            }
        }
        if (EqualsNoCase(kind, "note") || EqualsNoCase(kind, "securenote")) {
            entry.kind = CManagerEntry::Kind::Note;
        } else if (m_format == ExchangeFormat::LastPass && entry.urls.size() == 1 &&
                   entry.urls[0] == kLastPassNoteUrl) {
            entry.kind = CManagerEntry::Kind::Note;
            entry.urls.clear();
        }
    }

    // Bitwarden and Proton Pass put every URL of an entry in one column, split by commas.
    static void AddUrls(CManagerEntry& entry, std::string_view urls) {
        while (!urls.empty()) {
            const size_t comma = urls.find(',');
            const std::string_view url = Trimmed(urls.substr(0, comma));
            if (!url.empty())
                entry.urls.emplace_back(url);
            urls = comma == std::string_view::npos ? std::string_view() : urls.substr(comma + 1);
        }
    }

    // Bitwarden's custom fields: "name: value", one a line.
    static void AddFieldLines(CManagerEntry& entry, std::string_view fields) {
        while (!fields.empty()) {
            const size_t end = fields.find("\r\n");
            const std::string_view line = fields.substr(0, end);
            if (!line.empty())
                entry.lines.emplace_back(line);
            fields = end == std::string_view::npos ? std::string_view() : fields.substr(end + 2);
        }
    }

    std::string FolderCategory(std::string_view path) const {
        // KeePassXC writes the whole group path from its top group, "Root": entries in the top
        // group itself have no category. LastPass nests its groupings with backslashes.
        if (m_format == ExchangeFormat::KeePassXc && path == "Root")
            return {};
        return std::string(
            LastPathComponent(path, m_format == ExchangeFormat::LastPass ? "/\\" : "/"));
    }

    ExchangeFormat m_format;
    CCsvRecordReader m_reader;
    std::vector<CColumnInfo> m_columns;
    std::vector<std::string> m_fields;
    CImportText m_text;
};

}  // namespace

std::unique_ptr<IRowParser> MakeManagerCsvParser(ExchangeFormat format, std::string_view text) {
    return std::make_unique<CManagerCsvParser>(format, text);
}

}  // namespace tessarin
