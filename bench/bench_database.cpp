// Loading and saving a whole database, on one thread and spread over the machine's cores, against
// the floors of reading (or writing) the same number of bytes and deciphering (or enciphering) all
// of them on one thread: with our cipher, and with OpenSSL's (BF_ecb_encrypt, block by block).
//   bench_database [--benchmark_filter=...]   (TESSARIN_BENCH_MILLION=1 adds 1,000,000 records)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <openssl/blowfish.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "base/work_crew.h"
#include "bench_support.h"
#include "store/database_lifecycle.h"

using namespace tessarin;

namespace {

const char* kPassword = bench::kPassword;

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

// state.range(1): 1 = everything on the calling thread; 0 = the machine's cores, whatever the size.
struct CThreadsFor {
    explicit CThreadsFor(const benchmark::State& state) : saved(ItemThreads()) {
        ItemThreads().threads = static_cast<size_t>(state.range(1));
        ItemThreads().fromItems = 1;
    }
    ~CThreadsFor() { ItemThreads() = saved; }
    CItemThreads saved;
};

void BM_Load(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const CThreadsFor threads(state);
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    // The database emptied and the records freed outside the timing: only the load counts. The
    // freed memory goes back to the system, so that every load, as the one a program makes once,
    // takes fresh pages; otherwise a small load would reuse what the last one freed, while a large
    // one outgrows what the C library keeps.
    std::unique_ptr<CDatabaseObj> database;
    for (auto _ : state) {
        state.PauseTiming();
        database.reset();
        malloc_trim(0);
        database = std::make_unique<CDatabaseObj>(context);
        state.ResumeTiming();
        if (!Load(*database, path).Ok())
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(database->m_records.Size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ReadWhole(path).size()));
}

// Read the file whole and decipher all its bytes, with our cipher (range 1 = 0) or OpenSSL's (1).
void BM_LoadFloor(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const auto key = MakeKeySchedule(CSecret(kPassword));
    BF_KEY openSsl;
    BF_set_key(&openSsl, static_cast<int>(std::strlen(kPassword)),
               reinterpret_cast<const unsigned char*>(kPassword));
    for (auto _ : state) {
        std::vector<uint8_t> bytes = ReadWhole(path);
        if (state.range(1) == 0) {
            CipherWhole(*key, bytes.data(), bytes.size(), false);
        } else {
            for (size_t at = 0; at + 8 <= bytes.size(); at += 8)
                BF_ecb_encrypt(bytes.data() + at, bytes.data() + at, &openSsl, BF_DECRYPT);
        }
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(ReadWhole(path).size()));
}

void BM_Save(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const std::string out = path + ".save";
    const CThreadsFor threads(state);
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

// Encipher the file's number of bytes, with our cipher (range 1 = 0) or OpenSSL's (1), and write
// them to a new file, flushed to the disk as a save is.
void BM_SaveFloor(benchmark::State& state) {
    const std::string& path = FileFor(static_cast<size_t>(state.range(0)));
    const std::string out = path + ".floor";
    const auto key = MakeKeySchedule(CSecret(kPassword));
    BF_KEY openSsl;
    BF_set_key(&openSsl, static_cast<int>(std::strlen(kPassword)),
               reinterpret_cast<const unsigned char*>(kPassword));
    const std::vector<uint8_t> plain = ReadWhole(path);
    std::vector<uint8_t> bytes(plain.size());
    for (auto _ : state) {
        std::copy(plain.begin(), plain.end(), bytes.begin());
        if (state.range(1) == 0) {
            CipherWhole(*key, bytes.data(), bytes.size(), true);
        } else {
            for (size_t at = 0; at + 8 <= bytes.size(); at += 8)
                BF_ecb_encrypt(bytes.data() + at, bytes.data() + at, &openSsl, BF_ENCRYPT);
        }
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("write failed");
        ::fsync(fd);
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    std::filesystem::remove(out);
}

// Records: the sizes around the one-thread threshold, 10,000 and 100,000 (and 1,000,000 with
// TESSARIN_BENCH_MILLION set); second argument as the benchmark says.
void Sizes(benchmark::internal::Benchmark* b, const char* second) {
    std::vector<int64_t> sizes = {500, 1000, 2000, 3000, 4000, 5000, 10000, 100000};
    if (std::getenv("TESSARIN_BENCH_MILLION"))
        sizes.push_back(1000000);
    b->ArgsProduct({sizes, {0, 1}})->ArgNames({"records", second})->Unit(benchmark::kMillisecond);
}
void ByThreads(benchmark::internal::Benchmark* b) {
    Sizes(b, "one_thread");
}
void ByCipher(benchmark::internal::Benchmark* b) {
    Sizes(b, "openssl");
}

}  // namespace

BENCHMARK(BM_Load)->Apply(ByThreads);
BENCHMARK(BM_LoadFloor)->Apply(ByCipher);
BENCHMARK(BM_Save)->Apply(ByThreads);
BENCHMARK(BM_SaveFloor)->Apply(ByCipher);

BENCHMARK_MAIN();
