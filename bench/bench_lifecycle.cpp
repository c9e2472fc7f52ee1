// What the lifecycle costs beside loading and saving: the lock between processes, posting a change
// notice, and re-reading one item that another process changed.
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "bench_support.h"
#include "platform/file_lock.h"
#include "platform/notice_socket.h"
#include "store/database_lifecycle.h"

using namespace tessarin;

namespace {

void BM_LockAcquireRelease(benchmark::State& state) {
    CFileLock lock;
    for (auto _ : state) {
        if (!lock.Acquire(std::chrono::milliseconds(1000)))
            state.SkipWithError("lock not obtained");
        lock.Release();
    }
}

// Posting to an endpoint that a thread of this process drains as fast as it can.
void BM_PostNotice(benchmark::State& state) {
    CNoticeReceiver receiver("Bench Endpoint");
    std::atomic<bool> stop{false};
    std::thread drain([&] {
        while (!stop)
            receiver.Receive(std::chrono::milliseconds(10));
    });
    CSocketPoster poster;
    for (auto _ : state)
        benchmark::DoNotOptimize(poster.Post("Bench Endpoint", {kActionChanged, kKindRecord, 1}));
    stop = true;
    drain.join();
}

// Posting when nobody listens: the notice is dropped.
void BM_PostNoticeToNobody(benchmark::State& state) {
    CSocketPoster poster;
    for (auto _ : state)
        benchmark::DoNotOptimize(poster.Post("Nobody There", {kActionChanged, kKindRecord, 1}));
}

const char* kPassword = "correct horse battery staple";

const std::string& File() {
    static std::string path;
    if (path.empty()) {
        path = (std::filesystem::temp_directory_path() / "tessarin-bench-refresh.tdb").string();
        bench::MakeDatabaseFile(path, 100000, kPassword);
    }
    return path;
}

// Refreshing the record in the middle of a 100,000-record database from its file.
void BM_RefreshItem(benchmark::State& state) {
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    CDatabaseObj database(context);
    Load(database, File());
    for (auto _ : state)
        if (!RefreshItem(database, kKindRecord, 50000).item)
            state.SkipWithError("not refreshed");
}

void BM_FullLoad(benchmark::State& state) {
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    for (auto _ : state) {
        CDatabaseObj database(context);
        Load(database, File());
    }
}

}  // namespace

BENCHMARK(BM_LockAcquireRelease)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostNotice)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PostNoticeToNobody)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshItem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
