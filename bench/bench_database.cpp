// Loading and saving a whole database, against the floor of reading (or writing) the same number of
// bytes and deciphering (or enciphering) all of them.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <vector>

#include "bench_support.h"
#include "store/database_lifecycle.h"

using namespace tessarin;

namespace {

const char* kPassword = "correct horse battery staple";

// One file per size, made once.
const std::string& FileFor(size_t records) {
    static std::map<size_t, std::string> files;
    auto& path = files[records];
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() /
                ("tessarin-bench-" + std::to_string(records) + ".tdb"))
                   .string();
        bench::MakeDatabaseFile(path, records, kPassword);
    }
    return path;
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<uint8_t> bytes(static_cast<size_t>(::lseek(fd, 0, SEEK_END)));
    ::pread(fd, bytes.data(), bytes.size(), 0);
    ::close(fd);
    return bytes;
}

// The largest whole number of blocks a buffer operation takes at once.
void BM_Load(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    for (auto _ : state) {
        CDatabaseObj database(context);
        if (!Load(database, path).Ok())
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(database.m_records.Size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ReadWhole(path).size()));
}

void BM_LoadFloor(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const auto key = MakeKeySchedule(CSecret(kPassword));
    for (auto _ : state) {
        std::vector<uint8_t> bytes = ReadWhole(path);
        CipherWhole(*key, bytes.data(), bytes.size(), false);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ReadWhole(path).size()));
}

void BM_Save(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const std::string out = path + ".save";
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    CDatabaseObj database(context);
    Load(database, path);
    database.m_path = out;
    for (auto _ : state)
        if (!Save(database).Ok())
            state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ReadWhole(out).size()));
    std::filesystem::remove(out);
}

// Encipher the file's number of bytes and write them to a new file, flushed to the disk as a save
// is (with state.range(1) == 0, without the flush).
void BM_SaveFloor(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const std::string out = path + ".floor";
    const auto key = MakeKeySchedule(CSecret(kPassword));
    const std::vector<uint8_t> plain = ReadWhole(path);
    std::vector<uint8_t> bytes(plain.size());
    for (auto _ : state) {
        std::copy(plain.begin(), plain.end(), bytes.begin());
        CipherWhole(*key, bytes.data(), bytes.size(), true);
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("write failed");
        if (state.range(1))
            ::fsync(fd);
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    std::filesystem::remove(out);
}

}  // namespace

BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFloor)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor)->ArgsProduct({{10000, 100000}, {1}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
