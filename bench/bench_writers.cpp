// Several processes saving into one 10,000-record database at once, against one alone: the saves
// of all of them per second, and the longest any of them waited for its save. Each writer is a
// process of its own (as the window and tessarin-cli are) that adds a record and saves, again and
// again; a save after another writer's brings that writer's records in first.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "bench_support.h"
#include "platform/file_lock.h"

using namespace tessarin;

namespace {

constexpr size_t kRecords = 10000;
constexpr int kSavesEach = 40;

struct CWriterFigures {
    double longestSaveMs = 0;
    double totalSaveMs = 0;
    int failed = 0;
};

CWriterFigures Write(const std::string& path, int id) {
    CCoreContext context;
    CFileLock lock;
    context.SetLock(&lock);
    context.m_lockTimeout = std::chrono::minutes(10);
    SetDatabaseKey(context, CSecret(bench::kPassword));
    CDatabaseObj db(context);
    CWriterFigures figures;
    if (!Load(db, path).Ok()) {
        figures.failed = kSavesEach;
        return figures;
    }
    for (int n = 0; n < kSavesEach; ++n) {
        auto item = db.m_records.CreateItem();
        item->SetValue(0, "writer " + std::to_string(id) + " save " + std::to_string(n));
        db.m_records.Add(std::move(item));
        const auto start = std::chrono::steady_clock::now();
        figures.failed += !Save(db).Ok();
        const double ms = bench::Ms(std::chrono::steady_clock::now() - start);
        figures.longestSaveMs = std::max(figures.longestSaveMs, ms);
        figures.totalSaveMs += ms;
    }
    return figures;
}

void BM_Writers(benchmark::State& state) {
    const int writers = static_cast<int>(state.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / "tessarin-bench-writers.tdb").string();
    double longest = 0, perSave = 0;
    int failed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        bench::MakeDatabaseFile(path, kRecords, bench::kPassword);
        state.ResumeTiming();
        std::vector<std::pair<pid_t, int>> children;
        for (int id = 0; id < writers; ++id) {
            int fds[2];
            if (::pipe(fds) != 0)
                std::abort();
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(fds[0]);
                const CWriterFigures figures = Write(path, id);
                (void)!::write(fds[1], &figures, sizeof figures);
                ::_exit(0);
            }
            ::close(fds[1]);
            children.emplace_back(pid, fds[0]);
        }
        for (const auto& [pid, fd] : children) {
            CWriterFigures figures;
            if (::read(fd, &figures, sizeof figures) != static_cast<ssize_t>(sizeof figures))
                figures.failed = kSavesEach;
            ::close(fd);
            ::waitpid(pid, nullptr, 0);
            longest = std::max(longest, figures.longestSaveMs);
            perSave += figures.totalSaveMs / kSavesEach / writers;
            failed += figures.failed;
        }
    }
    std::filesystem::remove(path);
    const double iterations = static_cast<double>(state.iterations());
    state.counters["saves"] =
        benchmark::Counter(static_cast<double>(writers * kSavesEach) * iterations,
                           benchmark::Counter::kIsRate);
    state.counters["longest_ms"] = longest;
    state.counters["mean_save_ms"] = perSave / iterations;
    state.counters["failed"] = failed;
}

BENCHMARK(BM_Writers)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
