// The imports of other password managers' exports against this program's own CSV: the same records
// (100,000 by default) written in each layout, then parsed into rows (ParseRows, the work the
// desktop program does off its window's thread) and imported into an empty database without its
// save (the work on the window's thread, with the check for records already present).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "base/codepage.h"
#include "bench_support.h"
#include "exchange/exchange_writer.h"
#include "exchange/row_import.h"

using namespace tessarin;

namespace {

enum Layout { kCsv, kBitwardenCsv, kKeePassXcCsv, kChromeCsv, kBitwardenJson };

const ExchangeFormat kReadAs[] = {ExchangeFormat::Csv, ExchangeFormat::Bitwarden,
                                  ExchangeFormat::KeePassXc, ExchangeFormat::Chrome,
                                  ExchangeFormat::Bitwarden};

void AppendJsonString(std::string& out, std::string_view cp1252) {
    out += '"';
    for (char c : cp1252) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\r') {
            out += "\\r";
            continue;
        }
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    out += '"';
}

// Chrome's layout (the one all of Chrome, Firefox, 1Password, LastPass and Proton Pass share in
// form: a named column each, few quotes) and Bitwarden's JSON, made from the same records.
std::string OtherText(const CDatabaseObj& database, Layout layout) {
    std::string out = layout == kChromeCsv
                          ? "name,url,username,password,note\n"
                          : "{\"encrypted\": false, \"folders\": [], \"items\": [\n";
    bool first = true;
    for (const CRecord* record : LiveRecords(database)) {
        std::string values[5];
        for (int i = 0; i < 4; ++i)
            values[i] = Cp1252ToUtf8(record->GetValue(i));
        values[4] = Cp1252ToUtf8(record->GetNote());
        if (layout == kChromeCsv) {
            // name, url, username, password, note (quoted: it may hold a line break)
            out.append(values[0]).append(",").append(values[3]).append(",").append(values[1]);
            out.append(",").append(values[2]).append(",\"").append(values[4]).append("\"\n");
            continue;
        }
        out.append(first ? "" : ",\n").append("{\"type\": 1, \"folderId\": null, \"name\": ");
        first = false;
        AppendJsonString(out, values[0]);
        out.append(", \"notes\": ");
        AppendJsonString(out, values[4]);
        out.append(", \"login\": {\"uris\": [{\"match\": null, \"uri\": ");
        AppendJsonString(out, values[3]);
        out.append("}], \"username\": ");
        AppendJsonString(out, values[1]);
        out.append(", \"password\": ");
        AppendJsonString(out, values[2]);
        out.append(", \"totp\": null}}");
    }
    if (layout == kBitwardenJson)
        out.append("\n]}\n");
    return out;
}

const std::string& TextFor(size_t records, Layout layout) {
    static std::map<std::pair<size_t, Layout>, std::string> texts;
    std::string& text = texts[{records, layout}];
    if (text.empty()) {
        CCoreContext context;
        CDatabaseObj database(context);
        bench::FillDatabase(database, records);
        const std::vector<const CRecord*> all = LiveRecords(database);
        switch (layout) {
            case kCsv:
                text = BuildCsvText(database, all);
                break;
            case kBitwardenCsv:
                text = BuildManagerCsvText(database, all, ExportFormat::BitwardenCsv);
                break;
            case kKeePassXcCsv:
                text = BuildManagerCsvText(database, all, ExportFormat::KeePassXcCsv);
                break;
            default:
                text = OtherText(database, layout);
                break;
        }
    }
    return text;
}

void BM_ParseRows(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto layout = static_cast<Layout>(state.range(1));
    const std::string& text = TextFor(records, layout);
    for (auto _ : state) {
        CParsedRows parsed;
        ParseRows(kReadAs[layout], text, nullptr, parsed);
        if (parsed.rows.size() != records)
            state.SkipWithError("rows missing");
        state.PauseTiming();
        parsed = CParsedRows();  // freeing the rows is not parsing
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(records));
    state.counters["file_bytes"] = static_cast<double>(text.size());
}

void BM_ImportNoSave(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto layout = static_cast<Layout>(state.range(1));
    const std::string& text = TextFor(records, layout);
    CCoreContext context;
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<CDatabaseObj>(context);
        database->m_saveSuspended = true;
        CAllTypesList list(*database);
        state.ResumeTiming();
        const CImportOutcome outcome = ImportText(*database, kReadAs[layout], text, nullptr, list);
        if (outcome.records != records)
            state.SkipWithError("records missing");
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(records));
}

void Layouts(benchmark::internal::Benchmark* b) {
    for (int layout : {kCsv, kBitwardenCsv, kKeePassXcCsv, kChromeCsv, kBitwardenJson})
        b->Args({100000, layout});
}

}  // namespace

BENCHMARK(BM_ParseRows)->Apply(Layouts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportNoSave)->Apply(Layouts)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
