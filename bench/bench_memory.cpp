// Peak memory of a loaded database, above what the program holds before loading it, as a multiple
// of the file's size, loaded on all cores and on one thread. Each measurement runs in a fresh
// process (this program, started again), so that nothing done before the load counts.
//   bench_memory   (TESSARIN_BENCH_MILLION=1 adds 1,000,000 records)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/work_crew.h"
#include "bench_support.h"
#include "store/database_lifecycle.h"

using namespace tessarin;

namespace {

const char* kPassword = "correct horse battery staple";

// A line of /proc/self/status in kB, e.g. "VmHWM" (the peak resident size).
long StatusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field) + 1);
    return -1;
}

int Measure(const char* path, bool oneThread) {
    if (oneThread)
        ItemThreads().threads = 1;
    CCoreContext context;
    SetDatabaseKey(context, CSecret(kPassword));
    CDatabaseObj database(context);
    const long before = StatusKb("VmHWM");
    if (!Load(database, path).Ok()) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    const long after = StatusKb("VmHWM");
    const double fileKb = static_cast<double>(std::filesystem::file_size(path)) / 1024;
    std::printf(
        "  %zu records, %s: file %.0f KiB, peak %ld KiB before loading, %ld KiB after; "
        "%.2f times the file size above the empty program\n",
        database.m_records.Size(), oneThread ? "one thread" : "all cores", fileKb, before, after,
        (after - before) / fileKb);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0)
        return Measure(argv[2], std::strcmp(argv[3], "1") == 0);
    std::vector<size_t> sizes = {10000, 100000};
    if (std::getenv("TESSARIN_BENCH_MILLION"))
        sizes.push_back(1000000);
    for (bool sparse : {false, true}) {
        std::printf("%s:\n", sparse ? "sparse records (one short value)" : "typical records");
        std::fflush(stdout);
        for (size_t records : sizes) {
            const std::string path = (std::filesystem::temp_directory_path() /
                                      ("tessarin-memory-" + std::to_string(records) + ".tdb"))
                                         .string();
            bench::MakeDatabaseFile(path, records, kPassword, sparse);
            for (const char* oneThread : {"0", "1"}) {
                const std::string command =
                    std::string(argv[0]) + " --measure '" + path + "' " + oneThread;
                if (std::system(command.c_str()) != 0)
                    return 1;
            }
            std::filesystem::remove(path);
        }
    }
    return 0;
}
