// A large vEX import in the desktop program's window: how long the window's thread stays busy at
// most, measured by a timer that ticks every 10 ms on it and keeps the largest gap between two
// ticks. Reading and parsing run on the import's worker thread (the progress dialog keeps
// answering); the records then go into the database on the window's thread in one piece, which
// is the longest gap.
//   bench_import_ui [RECORDS] [REPETITIONS]
// Not a Google Benchmark program: one import is one measurement. Qt's offscreen platform, so no
// display is needed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "bench_support.h"
#include "exchange/exchange_writer.h"
#include "exchange/record_list.h"
#include "platform/qt_locale.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/desktop_view.h"
#include "ui/file_commands.h"

using namespace tessarin;
using Clock = std::chrono::steady_clock;

namespace {

using bench::kPassword;
using bench::Ms;

// The import asks nothing: the file is named directly and is not protected.
class CNoPassword : public IFilePasswordPrompt {
public:
    std::optional<CSecret> AskFilePassword() override { return std::nullopt; }
};

class CNoPrompts : public IFilePrompts {
public:
    std::optional<std::string> OpenFile(int, int, int) override { return std::nullopt; }
    std::optional<std::string> SaveFile(int, int, const std::string&) override {
        return std::nullopt;
    }
    std::optional<ExportScope> AskExportScope() override { return std::nullopt; }
    std::optional<CSecret> AskExportPassword() override { return std::nullopt; }
    IFilePasswordPrompt& ImportPassword() override { return m_password; }
    std::optional<std::string> PickDatabaseFolder(const std::string&) override {
        return std::nullopt;
    }

private:
    CNoPassword m_password;
};

// The program's own worker thread and progress dialog; notes when the last piece of work ended,
// so that the gaps before it (reading and parsing) and after it (adding the records) are told
// apart.
class CTimedRunner : public IBackgroundRunner {
public:
    explicit CTimedRunner(std::unique_ptr<IBackgroundRunner> runner)
        : m_runner(std::move(runner)) {}
    bool Run(const QString& label, bool cancellable, const Work& work) override {
        const bool done = m_runner->Run(label, cancellable, work);
        lastEnded = Clock::now();
        return done;
    }
    Clock::time_point lastEnded;

private:
    std::unique_ptr<IBackgroundRunner> m_runner;
};

std::string WriteVexFile(const std::filesystem::path& path, size_t records) {
    CCoreContext context;
    CDatabaseObj source(context);
    bench::FillDatabase(source, records);
    const std::string text = BuildVexText(source, LiveRecords(source), nullptr);
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<long>(text.size()));
    return path.string();
}

}  // namespace

int main(int argc, char** argv) {
    const size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("bench_import_ui." + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    const std::string file = WriteVexFile(work / "large.vex", records);
    std::printf("%zu records, %.1f MiB vEX file\n", records,
                static_cast<double>(std::filesystem::file_size(file)) / (1 << 20));

    for (int round = 0; round < repetitions; ++round) {
        const std::string folder = (work / ("db" + std::to_string(round))).string();
        std::filesystem::create_directories(folder);
        bench::MakeDatabaseFile(DatabasePathIn(folder), 0, kPassword);

        CCoreContext context;
        std::unique_ptr<CQtLocale> locale = CQtLocale::System();
        context.SetLocale(locale.get());
        SetDatabaseKey(context, CSecret(kPassword));
        CMemoryPreferenceStore store;
        CPreferences preferences{store};
        CTessarinDesktopView view(context, preferences);
        if (!view.OpenDatabase(folder))
            return 1;
        view.resize(1000, 700);
        view.show();
        QCoreApplication::processEvents();

        CNoPrompts prompts;
        CTimedRunner runner(MakeThreadRunner(context.Strings(), &view));
        CFileCommands commands(context, view, prompts, runner, folder);

        // Every gap between two ticks, as (start, end).
        std::vector<std::pair<Clock::time_point, Clock::time_point>> gaps;
        Clock::time_point last = Clock::now();
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            gaps.emplace_back(last, now);
            last = now;
        });
        tick.start(10);
        const Clock::time_point start = Clock::now();
        const CImportOutcome outcome = commands.ImportPath(file, ExchangeFormat::Detect);
        const double whole = Ms(Clock::now() - start);
        QCoreApplication::processEvents();  // the tick after the import's last piece
        tick.stop();
        // The gap over the end of the last piece of work is the one spent adding the records.
        double workerGap = 0, applyGap = 0;
        for (const auto& [from, to] : gaps) {
            double& largest =
                from <= runner.lastEnded && runner.lastEnded <= to ? applyGap : workerGap;
            largest = std::max(largest, Ms(to - from));
        }
        if (outcome.result != CImportOutcome::Imported || view.Database().CountLive(0) != records) {
            std::fprintf(stderr, "the import failed\n");
            return 2;
        }
        std::printf(
            "import %.0f ms; largest gap while reading and parsing %.1f ms; adding the records "
            "on the window's thread %.1f ms\n",
            whole, workerGap, applyGap);
    }
    std::filesystem::remove_all(work);
    return 0;
}
