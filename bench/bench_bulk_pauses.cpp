// The window during changes of many records: the longest time the window's thread goes without
// turning its event loop (so without painting or answering) while 100,000 records are imported,
// restored from a backup, deleted or cut, each through the program's own commands.
//   bench_bulk_pauses [RECORDS] [REPETITIONS]
// A timer ticks every 5 ms on the window's thread; the longest gap between two ticks, from the
// command's start until its last work has been done, is the operation's longest pause. With
// TESSARIN_BENCH_GAPS set, every gap over 30 ms is printed with when it began after the start.
// Not a Google Benchmark program: one operation is one measurement. Qt's offscreen platform, so
// no display is needed.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "bench_support.h"
#include "exchange/exchange_writer.h"
#include "exchange/record_list.h"
#include "platform/qt_locale.h"
#include "resources/command_table_data.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/clipboard_commands.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/file_commands.h"
#include "ui/message_box.h"
#include "ui/record_commands.h"

using namespace tessarin;
using Clock = std::chrono::steady_clock;

namespace {

using bench::kPassword;
using bench::Ms;

constexpr int kTickMs = 5;

class CNoPassword : public IFilePasswordPrompt {
public:
    std::optional<CSecret> AskFilePassword() override { return std::nullopt; }
};

// Restore's file dialog answers with the backup; nothing else is asked.
class CPrompts : public IFilePrompts {
public:
    std::optional<std::string> OpenFile(int, int, int) override { return file; }
    std::optional<std::string> SaveFile(int, int, const std::string&) override {
        return std::nullopt;
    }
    std::optional<ExportScope> AskExportScope() override { return std::nullopt; }
    std::optional<CSecret> AskExportPassword() override { return std::nullopt; }
    IFilePasswordPrompt& ImportPassword() override { return m_password; }
    std::optional<std::string> PickDatabaseFolder(const std::string&) override {
        return std::nullopt;
    }
    std::string file;

private:
    CNoPassword m_password;
};

// Every question is answered Yes (Delete's, Restore's), every message passes.
struct CYes : IMessageSink {
    MessageAnswer Show(const CMessage&) override { return MessageAnswer::Yes; }
};

std::string WriteVexFile(const std::filesystem::path& path, size_t records) {
    CCoreContext context;
    CDatabaseObj source(context);
    bench::FillDatabase(source, records);
    const std::string text = BuildVexText(source, LiveRecords(source), nullptr);
    std::ofstream(path, std::ios::binary).write(text.data(), static_cast<long>(text.size()));
    return path.string();
}

struct CPause {
    double longest = 0;  // ms
    double whole = 0;    // ms, the command from its start to its return
};

// Runs `command` from the window's event loop while the timer ticks, and lets the loop run on a
// little after it returns, so that what it left to the loop (the repaint) is counted too.
CPause LongestPause(const std::function<void()>& command) {
    const bool print = std::getenv("TESSARIN_BENCH_GAPS") != nullptr;
    std::vector<Clock::time_point> ticks;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] { ticks.push_back(Clock::now()); });
    CPause pause;
    QTimer::singleShot(0, [&] {
        tick.start(kTickMs);
        const Clock::time_point start = Clock::now();
        ticks.push_back(start);
        command();
        pause.whole = Ms(Clock::now() - start);
        QTimer::singleShot(200, [] { QCoreApplication::quit(); });
    });
    QCoreApplication::exec();
    tick.stop();
    for (size_t i = 1; i < ticks.size(); ++i) {
        const double gap = Ms(ticks[i] - ticks[i - 1]);
        pause.longest = std::max(pause.longest, gap);
        if (print && gap > 30)
            std::printf("  gap %.1f ms from %.1f ms\n", gap, Ms(ticks[i - 1] - ticks[0]));
    }
    return pause;
}

// The view as the program shows it, with the commands bound as the program binds them.
struct CWindow {
    explicit CWindow(const std::string& folder) : folder(folder) {
        context.SetLocale(locale.get());
        context.SetMessages(&yes);
        SetDatabaseKey(context, CSecret(kPassword));
        view = new CTessarinDesktopView(context, preferences, &window);
        opened = view->OpenDatabase(folder);
        view->AttachCommands(commands);
        new CRecordCommands(context, preferences, *view, commands, &window);
        clipboard = std::make_unique<CClipboardCommands>(context, preferences, *view);
        clipboard->Bind(commands);
        runner = MakeThreadRunner(context.Strings(), view);
        files = std::make_unique<CFileCommands>(context, *view, prompts, *runner, folder);
        files->Bind(commands, nullptr);
        window.resize(1000, 700);
        view->resize(1000, 700);
        window.show();
        QCoreApplication::processEvents();
    }

    std::string folder;
    CYes yes;
    CCoreContext context;
    std::unique_ptr<CQtLocale> locale = CQtLocale::System();
    CMemoryPreferenceStore store;
    CPreferences preferences{store};
    QWidget window;
    CCommandTable commands{context.Strings(), &window};
    CTessarinDesktopView* view = nullptr;
    std::unique_ptr<CClipboardCommands> clipboard;
    CPrompts prompts;
    std::unique_ptr<IBackgroundRunner> runner;
    std::unique_ptr<CFileCommands> files;
    bool opened = false;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    const size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 3;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("bench_bulk_pauses." + std::to_string(getpid()));
    std::filesystem::create_directories(work);
    // The lock and the endpoints live here, not in the user's folder.
    const std::filesystem::path runtime = work / "runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string vex = WriteVexFile(work / "large.vex", records);
    const std::string full = (work / "full.tdb").string();
    bench::MakeDatabaseFile(full, records, kPassword);
    std::printf("%zu records; the vEX file %.1f MiB, the database %.1f MiB\n", records,
                static_cast<double>(std::filesystem::file_size(vex)) / (1 << 20),
                static_cast<double>(std::filesystem::file_size(full)) / (1 << 20));

    // Each operation on a database of its own: empty for the import, full for the others.
    struct COperation {
        const char* name;
        bool startsFull;
        std::function<bool(CWindow&)> run;
    };
    const std::vector<COperation> operations = {
        {"import", false,
         [&](CWindow& w) {
             return w.files->ImportPath(vex, ExchangeFormat::Detect).result ==
                        CImportOutcome::Imported &&
                    w.view->Database().CountLive(kKindRecord) == records;
         }},
        {"restore", true,
         [&](CWindow& w) {
             w.prompts.file = vex;
             w.commands.Run(cmd::kRestore);
             return w.view->RowCount() == static_cast<int>(records);
         }},
        {"delete", true,
         [&](CWindow& w) {
             w.commands.Run(cmd::kDeleteItem);
             return w.view->RowCount() == 0;
         }},
        {"cut", true,
         [&](CWindow& w) {
             w.commands.Run(cmd::kCut);
             return w.view->RowCount() == 0;
         }},
    };
    std::map<std::string, std::vector<double>> longest, whole;
    for (int round = 0; round < repetitions; ++round) {
        for (const COperation& operation : operations) {
            const std::filesystem::path folder =
                work / (std::string(operation.name) + std::to_string(round));
            std::filesystem::create_directories(folder);
            const std::string database = DatabasePathIn(folder.string());
            if (operation.startsFull)
                std::filesystem::copy_file(full, database);
            else
                bench::MakeDatabaseFile(database, 0, kPassword);
            CWindow window(folder.string());
            if (!window.opened)
                return 1;
            if (operation.startsFull) {
                window.view->SelectAllRows();
                QCoreApplication::processEvents();
            }
            bool done = false;
            const CPause pause = LongestPause([&] { done = operation.run(window); });
            if (!done) {
                std::fprintf(stderr, "%s failed\n", operation.name);
                return 2;
            }
            std::printf("round %d %-8s longest pause %7.1f ms   the whole command %7.1f ms\n",
                        round + 1, operation.name, pause.longest, pause.whole);
            std::fflush(stdout);
            longest[operation.name].push_back(pause.longest);
            whole[operation.name].push_back(pause.whole);
        }
    }
    std::printf("\nmedians of %d rounds, %zu records\n", repetitions, records);
    for (const COperation& operation : operations)
        std::printf("%-8s longest pause %7.1f ms   the whole command %7.1f ms\n", operation.name,
                    Median(longest[operation.name]), Median(whole[operation.name]));
    std::filesystem::remove_all(work);
    return 0;
}
