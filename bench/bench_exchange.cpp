// Exports and imports of exchange and CSV files, against the floor of writing (or reading) the same
// number of bytes, enciphering (or deciphering) them where a password applies, and for an import
// writing the database it makes, as a save does.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "bench_support.h"
#include "exchange/exchange_writer.h"
#include "exchange/import_file.h"
#include "store/database_lifecycle.h"

using namespace tessarin;

namespace {

const char* kPassword = "correct horse battery staple";
const std::string kFolder = std::filesystem::temp_directory_path() / "tessarin-bench-exchange";

std::string PathOf(const std::string& name) {
    std::filesystem::create_directories(kFolder);
    return kFolder + "/" + name;
}

size_t SizeOf(const std::string& path) {
    std::error_code error;
    return static_cast<size_t>(std::filesystem::file_size(path, error));
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<uint8_t> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    if (::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        bytes.clear();
    ::close(fd);
    return bytes;
}

// The database every export starts from, one per size, with a password like a user's.
struct CSource {
    CCoreContext context;
    std::unique_ptr<CDatabaseObj> database;
};

CSource& SourceFor(size_t records) {
    static std::map<size_t, std::unique_ptr<CSource>> sources;
    auto& source = sources[records];
    if (!source) {
        source = std::make_unique<CSource>();
        SetDatabaseKey(source->context, CSecret(kPassword));
        source->database = std::make_unique<CDatabaseObj>(source->context);
        bench::FillDatabase(*source->database, records);
    }
    return *source;
}

// The files an import reads: made once by the export under test.
const std::string& ExportFor(size_t records, ExportFormat format) {
    static std::map<std::pair<size_t, ExportFormat>, std::string> files;
    std::string& path = files[{records, format}];
    if (path.empty()) {
        CSource& source = SourceFor(records);
        path = PathOf(std::to_string(records) + (format == ExportFormat::Vex ? ".vex" : ".csv"));
        WriteExchange(*source.database, format, ExportScope::All, nullptr, path,
                      format == ExportFormat::Vex ? source.context.DatabaseKey() : nullptr);
    }
    return path;
}

// The user-mode processor time of the timed work: what the code computes itself, without the
// system's share (first touches of new memory, copies into the page cache, the disk), which on a
// virtual machine grows faster than the bytes do.
class CUserTime {
public:
    void Start() { m_start = Now(); }
    void Stop() { m_total += Now() - m_start; }
    void Report(benchmark::State& state) const {
        state.counters["user_ms"] =
            benchmark::Counter(m_total * 1e3 / static_cast<double>(state.iterations()));
    }

private:
    static double Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return static_cast<double>(usage.ru_utime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec) * 1e-6;
    }
    double m_start = 0;
    double m_total = 0;
};

// Writes the bytes to a new file and flushes it, as a safe write does.
bool WriteFlushed(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::fsync(fd);
    ::close(fd);
    return ok;
}

void BM_Export(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    CSource& source = SourceFor(records);
    const CKeySchedule* key = format == ExportFormat::Vex ? source.context.DatabaseKey() : nullptr;
    const std::string out = PathOf("export.out");
    CUserTime user;
    user.Start();
    for (auto _ : state)
        if (!WriteExchange(*source.database, format, ExportScope::All, nullptr, out, key))
            state.SkipWithError("export failed");
    user.Stop();
    user.Report(state);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SizeOf(out)));
}

// Encipher (vEX) and write the export's number of bytes to a new file, flushed. Like the export,
// which builds its text in memory, the floor makes its copy of the bytes in fresh memory.
void BM_ExportFloor(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    const std::vector<uint8_t> plain = ReadWhole(ExportFor(records, format));
    const auto key = MakeKeySchedule(CSecret(kPassword));
    const std::string out = PathOf("floor.out");
    CUserTime user;
    user.Start();
    for (auto _ : state) {
        std::vector<uint8_t> bytes(plain.begin(), plain.end());
        if (format == ExportFormat::Vex)
            CipherWhole(*key, bytes.data(), bytes.size(), true);
        if (!WriteFlushed(out, bytes))
            state.SkipWithError("write failed");
    }
    user.Stop();
    user.Report(state);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(plain.size()));
}

class CPasswordPrompt : public IFilePasswordPrompt {
public:
    std::optional<CSecret> AskFilePassword() override { return CSecret(kPassword); }
};

// Imports `file` into a fresh database in each iteration. Making the database (`prepare`) and
// freeing it are not timed; `check` tells whether the import did what it should.
template <typename Prepare, typename Check>
void TimeImports(benchmark::State& state, CCoreContext& context, ExchangeFormat format,
                 const std::string& file, Prepare prepare, Check check) {
    CPasswordPrompt prompt;
    CUserTime user;
    for (auto _ : state) {
        state.PauseTiming();
        auto database = std::make_unique<CDatabaseObj>(context);
        prepare(*database);
        CAllTypesList list(*database);
        state.ResumeTiming();
        user.Start();
        const CImportOutcome outcome = ImportFile(*database, format, file, false, list, prompt);
        user.Stop();
        if (!check(outcome, *database))
            state.SkipWithError("import failed");
        state.PauseTiming();
        database.reset();
        state.ResumeTiming();
    }
    user.Report(state);
}

ExchangeFormat ReadAs(ExportFormat format) {
    return format == ExportFormat::Vex ? ExchangeFormat::Detect : ExchangeFormat::Csv;
}

// Into an empty database with the same password: read, decipher, build the records, save.
void BM_Import(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    const std::string& file = ExportFor(records, format);
    const std::string db = PathOf("import.tdb");
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    TimeImports(
        state, context, ReadAs(format), file,
        [&](CDatabaseObj& database) {
            std::filesystem::remove(db);
            database.m_path = db;
            database.m_checkBlock = MakeCheckBlock(CSecret(kPassword));
        },
        [&](const CImportOutcome& outcome, const CDatabaseObj&) {
            return outcome.Complete() && outcome.records == records;
        });
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SizeOf(file)));
    state.counters["db_bytes"] = static_cast<double>(SizeOf(db));
}

// Read the file and decipher its bytes (vEX); encipher as many bytes as the database the import
// makes and write them to a new file, flushed.
void BM_ImportFloor(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    const std::string& file = ExportFor(records, format);
    // The database an import of this file makes: as large as the source saved with its password.
    const std::string saved = PathOf("floor-source.tdb");
    CSource& source = SourceFor(records);
    source.database->m_path = saved;
    Save(*source.database);
    const std::vector<uint8_t> database = ReadWhole(saved);
    const auto key = MakeKeySchedule(CSecret(kPassword));
    std::vector<uint8_t> out(database.size());
    const std::string target = PathOf("floor.tdb");
    CUserTime user;
    user.Start();
    for (auto _ : state) {
        std::vector<uint8_t> bytes = ReadWhole(file);
        if (format == ExportFormat::Vex)
            CipherWhole(*key, bytes.data(), bytes.size(), false);
        benchmark::DoNotOptimize(bytes.data());
        std::copy(database.begin(), database.end(), out.begin());
        CipherWhole(*key, out.data(), out.size(), true);
        if (!WriteFlushed(target, out))
            state.SkipWithError("write failed");
    }
    user.Stop();
    user.Report(state);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SizeOf(file)));
    state.counters["db_bytes"] = static_cast<double>(database.size());
}

// The import without its save, against reading and deciphering the file alone.
void BM_ImportNoSave(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    const std::string& file = ExportFor(records, format);
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    TimeImports(
        state, context, ReadAs(format), file,
        [](CDatabaseObj& database) { database.m_saveSuspended = true; },
        [&](const CImportOutcome&, const CDatabaseObj& database) {
            return database.m_records.Size() == records;
        });
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SizeOf(file)));
}

void BM_ReadFloor(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const auto format = static_cast<ExportFormat>(state.range(1));
    const std::string& file = ExportFor(records, format);
    const auto key = MakeKeySchedule(CSecret(kPassword));
    CUserTime user;
    user.Start();
    for (auto _ : state) {
        std::vector<uint8_t> bytes = ReadWhole(file);
        if (format == ExportFormat::Vex)
            CipherWhole(*key, bytes.data(), bytes.size(), false);
        benchmark::DoNotOptimize(bytes.data());
    }
    user.Stop();
    user.Report(state);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(SizeOf(file)));
}

// A CSV file of records that each name a type and a category of their own: an import that looked
// names up by walking the lists, or filed each new type on its own, would take quadratic time.
const std::string& DistinctTypesFile(size_t records) {
    static std::map<size_t, std::string> files;
    std::string& path = files[records];
    if (path.empty()) {
        path = PathOf("distinct-" + std::to_string(records) + ".csv");
        std::string text = "Tessarin Export File\r\n";
        std::mt19937 random(7);
        for (size_t i = 0; i < records; ++i)
            text += bench::Word(random, 8, 20) + std::to_string(i) + ",value,,,,,,note," +
                    bench::Word(random, 6, 12) + std::to_string(i) + "\r\n";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    return path;
}

void BM_ImportDistinctTypes(benchmark::State& state) {
    const auto records = static_cast<size_t>(state.range(0));
    const std::string& file = DistinctTypesFile(records);
    CCoreContext context;
    TimeImports(
        state, context, ExchangeFormat::Csv, file,
        [](CDatabaseObj& database) { database.m_saveSuspended = true; },
        [&](const CImportOutcome&, const CDatabaseObj& database) {
            return database.m_types.Size() == records && database.m_categories.Size() == records;
        });
}

// Sizes 10,000 and 100,000 (and 1,000,000 with TESSARIN_BENCH_MILLION set); format 0 = vEX with a
// password, 1 = CSV.
void Sizes(benchmark::internal::Benchmark* b) {
    std::vector<int64_t> sizes = {10000, 100000};
    if (std::getenv("TESSARIN_BENCH_MILLION"))
        sizes.push_back(1000000);
    b->ArgsProduct({sizes, {0, 1}})->ArgNames({"records", "csv"});
    b->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(BM_Export)->Apply(Sizes);
BENCHMARK(BM_ExportFloor)->Apply(Sizes);
BENCHMARK(BM_Import)->Apply(Sizes);
BENCHMARK(BM_ImportFloor)->Apply(Sizes);
BENCHMARK(BM_ImportNoSave)->Apply(Sizes);
BENCHMARK(BM_ReadFloor)->Apply(Sizes);
BENCHMARK(BM_ImportDistinctTypes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// glibc serves blocks above a threshold that it raises as blocks are freed (up to 32 MiB) with
// fresh pages from the system: in a loop, a 6 MB text would be served from memory already used and
// a 60 MB text from new pages, whose first touch costs as much as writing them. One export or
// import in a run of the program always touches new pages: a fixed threshold makes every size do
// so.
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
