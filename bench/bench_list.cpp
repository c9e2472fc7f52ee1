// The record list: a refill sorted by a field column against a plain sort of the same strings
// with strcmp, and a find over every value against a plain substring scan of the same bytes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QLocale>

#include "bench_support.h"
#include "listing/record_list_model.h"
#include "platform/qt_locale.h"

using namespace tessarin;

namespace {

// One database per size, made once and kept for the whole run.
const CDatabaseObj& DatabaseOf(size_t records) {
    static CCoreContext context;
    static std::map<size_t, std::unique_ptr<CDatabaseObj>> databases;
    auto& database = databases[records];
    if (!database) {
        database = std::make_unique<CDatabaseObj>(context);
        bench::FillDatabase(*database, records);
    }
    return *database;
}

const ILocale& LocaleOf(bool qt) {
    static const CFixedLocale fixed;
    static const CQtLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
    return qt ? static_cast<const ILocale&>(english) : fixed;
}

// A refill sorted by field 1 (column 3), the description: texts that are all different.
void BM_RefillByField(benchmark::State& state, bool qt) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    CRecordListModel list(database, LocaleOf(qt));
    list.SetSort({3, true});
    for (auto _ : state) {
        list.RefillList();
        benchmark::DoNotOptimize(list.RowAt(0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The list as it starts: sorted by type, then category, then field 1.
void BM_RefillByType(benchmark::State& state, bool qt) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    CRecordListModel list(database, LocaleOf(qt));
    for (auto _ : state) {
        list.RefillList();
        benchmark::DoNotOptimize(list.RowAt(0));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The floor: the same strings, NUL-terminated, in the same order, sorted stably with strcmp.
void BM_SortFloor(benchmark::State& state) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    std::vector<std::string> texts;
    for (size_t i = database.m_records.Size(); i-- > 0;)
        texts.emplace_back(database.RecordAt(i)->GetValue(0));
    for (auto _ : state) {
        std::vector<const char*> rows;
        rows.reserve(texts.size());
        for (const std::string& t : texts)
            rows.push_back(t.c_str());
        std::stable_sort(rows.begin(), rows.end(),
                         [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Three characters that occur in a few records only.
constexpr const char* kNeedle = "qZ7";

void BM_Find(benchmark::State& state, bool caseSensitive, bool wholeWord) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    CRecordListModel list(database, LocaleOf(false));
    for (auto _ : state) {
        list.RefillFiltered(kNeedle, caseSensitive, wholeWord);
        benchmark::DoNotOptimize(list.RowCount());
    }
    state.counters["found"] = static_cast<double>(list.RowCount());
}

// The floor: every value and note searched for the text as it is, with std::string_view::find.
void BM_FindFloor(benchmark::State& state) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (size_t i = 0; i < database.m_records.Size(); ++i) {
            const CRecord& record = *database.RecordAt(i);
            bool hit = false;
            for (int f = 0; f < kFieldCount && !hit; ++f)
                hit = record.GetValue(f).find(kNeedle) != std::string_view::npos;
            hit = hit || record.GetNote().find(kNeedle) != std::string_view::npos;
            found += hit;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

// The search field, one key at a time, in the list as it starts (sorted by type): the first
// letter (every record looked at, what it finds sorted), the next ones (the rows found so far
// narrowed), and a letter taken back (looked at again). A frame is 16.7 ms.
void BM_SearchKey(benchmark::State& state, const char* before, const char* typed) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    CRecordListModel list(database, LocaleOf(true));
    list.RefillList();
    for (auto _ : state) {
        state.PauseTiming();
        list.SetSearch(before);
        state.ResumeTiming();
        list.SetSearch(typed);
        benchmark::DoNotOptimize(list.RowCount());
    }
    state.counters["found"] = static_cast<double>(list.RowCount());
}

// The search's rule alone over every record, against the floor of a plain find.
void BM_SearchMatch(benchmark::State& state) {
    const CDatabaseObj& database = DatabaseOf(static_cast<size_t>(state.range(0)));
    const CQuickSearch search(kNeedle, database);
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (size_t i = 0; i < database.m_records.Size(); ++i)
            found += search.Matches(*database.RecordAt(i));
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

// 100,000 records for the ratios to the floors; 10,000 and 1,000,000 for how the cost grows.
void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(BM_RefillByField, fixed_locale, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_RefillByField, qt_locale, true)->Apply(Sizes);
BENCHMARK(BM_SortFloor)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_RefillByType, fixed_locale, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_RefillByType, qt_locale, true)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Find, any_case, false, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Find, match_case, true, false)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_Find, whole_word, false, true)->Apply(Sizes);
BENCHMARK(BM_FindFloor)->Apply(Sizes);
BENCHMARK(BM_SearchMatch)->Apply(Sizes);
BENCHMARK_CAPTURE(BM_SearchKey, first_letter_few, "", "q")->Apply(Sizes);
BENCHMARK_CAPTURE(BM_SearchKey, first_letter_most, "", "e")->Apply(Sizes);
BENCHMARK_CAPTURE(BM_SearchKey, typed_on, "q", "qz")->Apply(Sizes);
BENCHMARK_CAPTURE(BM_SearchKey, taken_back, "qz", "q")->Apply(Sizes);
BENCHMARK_CAPTURE(BM_SearchKey, cleared, "q", "")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
