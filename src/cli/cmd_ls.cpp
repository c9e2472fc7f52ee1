// ls: the rows the record list shows, in its order, with its cell texts.
#include <algorithm>
#include <functional>
#include <ostream>

#include "base/codepage.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/list_query.h"
#include "listing/list_columns.h"
#include "resources/string_ids.h"

namespace tessarin::cli {

namespace {

// Output goes out in pieces of about this size, so a long list is never held whole.
constexpr size_t kChunk = 1 << 16;
// How many rows ahead a record is asked for before it is written.
constexpr size_t kPrefetchAhead = 16;

// The table's columns: the row number, the text columns of the list, whether there is a note.
constexpr int kNumberColumn = 0;
constexpr int kTableNoteColumn = kNoteColumn;
constexpr int kTableColumns = kTableNoteColumn + 1;

size_t DigitCount(size_t n) {
    size_t digits = 1;
    while (n >= 10)
        n /= 10, ++digits;
    return digits;
}

// Appends a cell on one line: control characters (a tab or a line break in a value) as spaces.
void AppendOneLine(std::string& out, std::string_view cp1252) {
    if (std::none_of(cp1252.begin(), cp1252.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        AppendCp1252AsUtf8(out, cp1252);
        return;
    }
    std::string text(cp1252);
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    AppendCp1252AsUtf8(out, text);
}

class CLsCommand : public ICommand {
public:
    std::string_view Name() const override { return "ls"; }
    int Summary() const override { return str::kCliSummaryLs; }
    std::vector<COptionSpec> Options() const override { return ListOptions(); }

    int Run(CCliSession& session, const CParsedArgs& args) override {
        CListQuery query(session);
        if (int code = query.Run(args))
            return code;
        if (args.Has("--json"))
            WriteJson(query.List(), session.Io().out);
        else
            WriteTable(session.Strings(), query.List(), session.Io().out);
        return kExitOk;
    }

private:
    static void WriteJson(const CRecordListModel& list, std::ostream& out) {
        const CListCells cells(list);
        CJsonWriter json;
        std::string utf8;
        auto text = [&](std::string_view cp1252) {
            utf8.clear();
            AppendCp1252AsUtf8(utf8, cp1252);
            json.String(utf8);
        };
        json.BeginArray();
        for (size_t row = 0; row < list.RowCount(); ++row) {
            cells.Prefetch(row + kPrefetchAhead);
            const CRecord& record = *list.RowAt(row);
            json.BeginObject(true);
            json.Key("icon");
            json.Number(record.m_icon);
            json.Key("type");
            text(cells.Text(row, kTypeColumn));
            json.Key("category");
            text(cells.Text(row, kCategoryColumn));
            json.Key("fields");
            json.BeginArray();
            for (int c = kFirstFieldColumn; c < kNoteColumn; ++c)
                text(cells.Text(row, c));
            json.EndArray();
            json.Key("note");
            json.Bool(!record.GetNote().empty());
            json.EndObject();
            if (json.Text().size() >= kChunk)
                json.Flush(out);
        }
        json.EndArray();
        json.Flush(out);
        out << '\n';
    }

    // Columns as wide as their widest cell, two spaces apart, without trailing spaces.
    static void WriteTable(const CStringTable& strings, const CRecordListModel& list,
                           std::ostream& out) {
        const std::string& yes = strings.Get(str::kCliYes);
        std::vector<std::string> header = {strings.Get(str::kCliRowNumberHeading)};
        for (int c = kTypeColumn; c < kNoteColumn; ++c)
            header.push_back(list.ColumnTitle(c));
        header.push_back(strings.Get(str::kCliNoteHeading));
        const CListCells cells(list);
        auto cell = [&](const CRecord& record, int column) -> std::string_view {
            if (column == kTableNoteColumn)
                return record.GetNote().empty() ? std::string_view() : yes;
            return cells.Text(record, column);
        };

        std::vector<size_t> widths(kTableColumns);
        for (int c = 0; c < kTableColumns; ++c)
            widths[c] = header[c].size();
        widths[kNumberColumn] = std::max(widths[kNumberColumn], DigitCount(list.RowCount()));
        // The widths do not depend on the order: the records are read in the order they lie in
        // memory, which is much quicker than the list's order.
        std::vector<const CRecord*> inMemory(list.Rows().begin(), list.Rows().end());
        std::sort(inMemory.begin(), inMemory.end(), std::less<>());
        for (const CRecord* record : inMemory)
            for (int c = kTypeColumn; c < kTableColumns; ++c)
                widths[c] = std::max(widths[c], cell(*record, c).size());

        std::string text;
        // Padding is written only when a cell follows it, so lines carry no trailing spaces.
        auto line = [&](auto cellAt) {
            size_t pending = 0;
            for (int c = 0; c < kTableColumns; ++c) {
                const std::string_view t = cellAt(c);
                if (!t.empty()) {
                    text.append(pending, ' ');
                    AppendOneLine(text, t);
                    pending = 0;
                }
                pending += widths[c] - t.size() + 2;
            }
            text += '\n';
            if (text.size() >= kChunk) {
                out << text;
                text.clear();
            }
        };
        line([&](int c) -> std::string_view { return header[c]; });
        std::string number;
        for (size_t row = 0; row < list.RowCount(); ++row) {
            cells.Prefetch(row + kPrefetchAhead);
            const CRecord& record = *list.RowAt(row);
            number = std::to_string(row + 1);
            line([&](int c) {
                return c == kNumberColumn ? std::string_view(number) : cell(record, c);
            });
        }
        out << text;
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeLsCommand() {
    return std::make_unique<CLsCommand>();
}

}  // namespace tessarin::cli
