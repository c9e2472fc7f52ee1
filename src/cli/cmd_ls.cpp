// ls: the rows the record list shows, in its order, with its cell texts.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <ostream>
#include <utility>

#include "base/codepage.h"
#include "base/work_crew.h"
#include "cli/cli_session.h"
#include "cli/command.h"
#include "cli/json_writer.h"
#include "cli/list_query.h"
#include "listing/list_columns.h"
#include "resources/string_ids.h"
#include "store/item_batches.h"

namespace tessarin::cli {

namespace {

// Output goes out in pieces of about this size, so a long list is never held whole.
constexpr size_t kChunk = 1 << 16;
// The table goes out in pieces of this many batches of rows (about 200 KB), made on every core.
constexpr size_t kBatchesPerPiece = 8;
// How many rows ahead a record is asked for before it is written.
constexpr size_t kPrefetchAhead = 16;

// The table's columns: the row number, the text columns of the list, whether there is a note.
constexpr int kNumberColumn = 0;
constexpr int kTableNoteColumn = kNoteColumn;
constexpr int kTableColumns = kTableNoteColumn + 1;
using Widths = std::array<size_t, kTableColumns>;

size_t DigitCount(size_t n) {
    size_t digits = 1;
    while (n >= 10)
        n /= 10, ++digits;
    return digits;
}

// Whether every byte is printable ASCII (0x20-0x7F), eight at a time: such text is the same in
// UTF-8 and needs no changes on one line.
bool IsPrintableAscii(std::string_view text) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = 0x8080808080808080;
    const char* p = text.data();
    size_t n = text.size();
    uint64_t bad = 0;
    for (; n >= 8; p += 8, n -= 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        // A byte at 0x80 or above, or (below that) one whose subtracting 0x20 borrows.
        bad |= word | ((word - 0x20 * kOnes) & ~word);
    }
    for (; n > 0; ++p, --n)
        bad |= static_cast<uint8_t>(*p - 0x20) >= 0x60 ? kHigh : 0;
    return (bad & kHigh) == 0;
}

// Appends a cell on one line: control characters (a tab or a line break in a value) as spaces.
void AppendOneLine(std::string& out, std::string_view cp1252) {
    if (IsPrintableAscii(cp1252)) {
        out += cp1252;
        return;
    }
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

// A piece of the table: rows [first, first + count) as text, made on any thread.
struct CRowPiece : CBatchState {
    size_t first = 0;
    size_t count = 0;
    std::string text;
};

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

    // Columns as wide as their widest cell, two spaces apart, without trailing spaces. Widths and
    // rows are worked out on every core, in pieces; the rows go out in order.
    static void WriteTable(const CStringTable& strings, const CRecordListModel& list,
                           std::ostream& out) {
        const std::string& yes = strings.Get(str::kCliYes);
        std::vector<std::string> header = {strings.Get(str::kCliRowNumberHeading)};
        for (int c = kTypeColumn; c < kNoteColumn; ++c)
            header.push_back(list.ColumnTitle(c));
        header.push_back(strings.Get(str::kCliNoteHeading));
        // Each thread asks its own cells: they remember the last name looked up.
        auto cell = [&yes](const CListCells& cells, const CRecord& record,
                           int column) -> std::string_view {
            if (column == kTableNoteColumn)
                return record.GetNote().empty() ? std::string_view() : yes;
            return cells.Text(record, column);
        };
        const size_t rows = list.RowCount();
        const size_t rowsPerPiece =
            kBatchesPerPiece * std::max<size_t>(ItemThreads().batchItems, 1);
        CWorkCrew crew(ItemThreadsFor(rows) - 1);

        Widths widths;
        for (int c = 0; c < kTableColumns; ++c)
            widths[c] = header[c].size();
        widths[kNumberColumn] = std::max(widths[kNumberColumn], DigitCount(rows));
        // The widths do not depend on the order: the records are read in the order they lie in
        // memory, which is much quicker than the list's order.
        std::vector<const CRecord*> inMemory(list.Rows().begin(), list.Rows().end());
        std::sort(inMemory.begin(), inMemory.end(), std::less<>());
        const size_t parts = crew.Helpers() + 1;
        std::vector<Widths> partWidths(parts, widths);
        crew.ForEach(parts, [&](size_t part) {
            const CListCells cells(list);
            Widths& w = partWidths[part];
            for (size_t i = rows * part / parts; i < rows * (part + 1) / parts; ++i)
                for (int c = kTypeColumn; c < kTableColumns; ++c)
                    w[c] = std::max(w[c], cell(cells, *inMemory[i], c).size());
        });
        for (const Widths& w : partWidths)
            for (int c = 0; c < kTableColumns; ++c)
                widths[c] = std::max(widths[c], w[c]);
        std::vector<const CRecord*>().swap(inMemory);

        // Padding is written only when a cell follows it, so lines carry no trailing spaces.
        auto line = [&widths](std::string& text, auto cellAt) {
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
        };
        std::string text;
        line(text, [&](int c) -> std::string_view { return header[c]; });
        out << text;

        auto format = [&](CRowPiece& piece) {
            const CListCells cells(list);
            piece.text.clear();
            char number[24];
            for (size_t row = piece.first; row < piece.first + piece.count; ++row) {
                cells.Prefetch(row + kPrefetchAhead);
                const CRecord& record = *list.RowAt(row);
                const std::string_view shown(
                    number, std::to_chars(number, number + sizeof number, row + 1).ptr - number);
                line(piece.text,
                     [&](int c) { return c == kNumberColumn ? shown : cell(cells, record, c); });
            }
        };
        CBatchRing<CRowPiece> ring(crew);
        using Wait = CBatchRing<CRowPiece>::Wait;
        auto writeBack = [&](Wait wait) {
            ring.TakeBack(wait, [&out](CRowPiece& piece) {
                if (piece.failure)
                    std::rethrow_exception(std::exchange(piece.failure, nullptr));
                out << piece.text;
            });
        };
        for (size_t first = 0; first < rows; first += rowsPerPiece) {
            CRowPiece* piece;
            while (!(piece = ring.Free()))
                writeBack(Wait::ForOldest);
            piece->first = first;
            piece->count = std::min(rowsPerPiece, rows - first);
            ring.HandOut(format);
            writeBack(Wait::None);
        }
        writeBack(Wait::ForAll);
    }
};

}  // namespace

std::unique_ptr<ICommand> MakeLsCommand() {
    return std::make_unique<CLsCommand>();
}

}  // namespace tessarin::cli
