// The record view on 100,000 records, against tessarin-cli ls of the same file, each in a fresh
// process: the time from a start to the first rows painted, a click on a column's header against
// the core's refill in the same order, the peak memory against the same program on an empty
// database and against ls, and Select All then Delete of every record against a header click in
// the same process.
//   bench_view [RECORDS] [REPETITIONS]
// Not a Google Benchmark program: what it measures are whole processes. The view runs on Qt's
// offscreen platform, so no display is needed.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "bench_support.h"
#include "listing/record_list_model.h"
#include "resources/command_table_data.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/record_commands.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "view_program.h"

using namespace tessarin;
using Clock = std::chrono::steady_clock;

namespace {

using bench::kPassword;
using bench::Ms;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// --- The measured processes ---

// Opens the view on the folder's database, as the program does after the login, and ends the
// process as soon as the list has painted its first rows. Returns when it could not.
using CProgram = bench::CViewProgram;

int OpenUntilPainted(int argc, char** argv, const char* folder) {
    CProgram program(argc, argv);
    auto* view = new CTessarinDesktopView(program.context, program.preferences);
    if (!view->OpenDatabase(folder))
        return 1;
    view->resize(1000, 700);
    struct CFirstPaint : QObject {
        CTessarinDesktopView* view;
        bool eventFilter(QObject*, QEvent* event) override {
            // Ends right after the paint event has been handled, with the rows on the screen.
            if (event->type() == QEvent::Paint &&
                (view->RowCount() > 0 || view->Database().m_records.Empty()))
                QTimer::singleShot(0, [] { _exit(0); });
            return false;
        }
    } firstPaint;
    firstPaint.view = view;
    view->List()->viewport()->installEventFilter(&firstPaint);
    view->show();
    program.application.exec();
    return 1;
}

// Clicks a column's header as the user does, up to the rows painted.
double ClickHeader(CRecordListView& list, int column) {
    const Clock::time_point start = Clock::now();
    bench::ClickHeader(list, column);
    list.viewport()->repaint();
    return Ms(Clock::now() - start);
}

// Clicks the header of field 1 again and again, each click sorting the rows (and flipping), and
// times each click up to the rows painted; then the core's refill in the same order. Prints
// "click MS refill MS" for each round.
int SortClicks(int argc, char** argv, const char* folder, int rounds) {
    CProgram program(argc, argv);
    CTessarinDesktopView view(program.context, program.preferences);
    if (!view.OpenDatabase(folder))
        return 1;
    view.resize(1000, 700);
    view.show();
    QCoreApplication::processEvents();
    CRecordListView& list = *view.List();
    CRecordListModel core(view.Database(), program.context.Locale());
    for (int round = 0; round < rounds; ++round) {
        const double click = ClickHeader(list, kFirstFieldColumn);
        core.SetSort(view.ListModel().Sort());
        const Clock::time_point refillStart = Clock::now();
        core.RefillList();
        const double refill = Ms(Clock::now() - refillStart);
        if (core.Rows() != view.ListModel().Rows())
            return 2;
        std::printf("click %.3f refill %.3f\n", click, refill);
    }
    return 0;
}

// Select All, then Delete answered Yes, as the program binds them (the command table, the record
// commands, the view telling the table its selection), each timed up to the rows painted, after a
// header click in the same process; then a save of the same database, which the deletion's
// includes. Prints "click MS select MS delete MS save MS rows N".
int SelectAllAndDelete(int argc, char** argv, const char* folder) {
    CProgram program(argc, argv);
    struct CYes : IMessageSink {
        MessageAnswer Show(const CMessage&) override { return MessageAnswer::Yes; }
    } yes;
    program.context.SetMessages(&yes);
    QWidget window;
    CCommandTable commands(program.context.Strings(), &window);
    auto* view = new CTessarinDesktopView(program.context, program.preferences, &window);
    if (!view->OpenDatabase(folder))
        return 1;
    view->AttachCommands(commands);
    new CRecordCommands(program.context, program.preferences, *view, commands, &window);
    window.resize(1000, 700);
    view->resize(1000, 700);
    window.show();
    QCoreApplication::processEvents();
    CRecordListView& list = *view->List();
    const double click = ClickHeader(list, kFirstFieldColumn);

    Clock::time_point start = Clock::now();
    view->SelectAllRows();
    list.viewport()->repaint();
    const double select = Ms(Clock::now() - start);
    const int rows = view->RowCount();

    start = Clock::now();
    if (!commands.Run(cmd::kDeleteItem))
        return 2;
    list.viewport()->repaint();
    const double deleted = Ms(Clock::now() - start);
    if (view->RowCount() != 0)
        return 3;
    // The deletion's save alone: the same database written again.
    start = Clock::now();
    if (!view->Session().SaveNow().Ok())
        return 4;
    const double save = Ms(Clock::now() - start);
    std::printf("click %.3f select %.3f delete %.3f save %.3f rows %d\n", click, select, deleted,
                save, rows);
    return 0;
}

// --- The parent ---

struct CRun {
    double seconds = 0;
    long peakKb = 0;
    int status = -1;
    std::string output;
};

// Runs the command with `input` on its standard input; its output is kept when `keep`, else
// thrown away.
CRun Run(const std::vector<std::string>& command, const std::string& input, bool keep) {
    int in[2];
    int out[2];
    if (pipe(in) != 0 || pipe(out) != 0)
        return {};
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[1]);
        close(out[0]);
        std::vector<char*> args;
        for (const std::string& arg : command)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0)
        std::perror("write");
    close(in[1]);
    CRun run;
    char buffer[1 << 16];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0)
        if (keep)
            run.output.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    struct rusage usage {};
    wait4(child, &run.status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    return run;
}

std::string SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0)
        return OpenUntilPainted(argc, argv, argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "--sort") == 0)
        return SortClicks(argc, argv, argv[2], std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(argv[1], "--delete") == 0)
        return SelectAllAndDelete(argc, argv, argv[2]);

    // scripts/bench passes a benchmark filter to every program: it changes nothing here.
    const bool counts = argc > 1 && std::strncmp(argv[1], "--benchmark", 11) != 0;
    const size_t records = counts ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int repetitions = counts && argc > 2 ? std::atoi(argv[2]) : 5;
    const std::filesystem::path work = std::filesystem::temp_directory_path() /
                                       ("tessarin-bench-view-" + std::to_string(getpid()));
    const std::filesystem::path full = work / "full";
    const std::filesystem::path empty = work / "empty";
    std::filesystem::create_directories(full);
    std::filesystem::create_directories(empty);
    // The lock and the endpoints of the measured processes live here, not in the user's folder.
    const std::filesystem::path runtime = work / "runtime";
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string database = (full / "TessarinDatabase.tdb").string();
    bench::MakeDatabaseFile(database, records, kPassword);
    bench::MakeDatabaseFile((empty / "TessarinDatabase.tdb").string(), 0, kPassword);
    const std::string self = SelfPath();
    const std::string password = std::string(kPassword) + "\n";

    std::vector<double> openTimes, lsTimes;
    std::vector<double> openPeaks, emptyPeaks, lsPeaks;
    for (int i = 0; i < repetitions; ++i) {
        // In turn, so that the machine's drift falls on all of them alike.
        const CRun ls = Run({TESSARIN_CLI_PATH, "--db", database, "ls"}, password, false);
        const CRun open = Run({self, "--open", full.string()}, {}, false);
        const CRun none = Run({self, "--open", empty.string()}, {}, false);
        if (ls.status != 0 || open.status != 0 || none.status != 0) {
            std::fprintf(stderr, "a run failed: ls %d, open %d, empty %d\n", ls.status, open.status,
                         none.status);
            return 1;
        }
        lsTimes.push_back(ls.seconds * 1000);
        openTimes.push_back(open.seconds * 1000);
        lsPeaks.push_back(static_cast<double>(ls.peakKb));
        openPeaks.push_back(static_cast<double>(open.peakKb));
        emptyPeaks.push_back(static_cast<double>(none.peakKb));
        std::printf("run %d: ls %.0f ms %ld KiB, view %.0f ms %ld KiB, empty view %ld KiB\n", i + 1,
                    ls.seconds * 1000, ls.peakKb, open.seconds * 1000, open.peakKb, none.peakKb);
    }

    const CRun sorting =
        Run({self, "--sort", full.string(), std::to_string(2 * repetitions + 1)}, {}, true);
    if (sorting.status != 0) {
        std::fprintf(stderr, "the sort run failed: %d\n", sorting.status);
        return 1;
    }
    std::vector<double> clicks, refills;
    for (size_t at = 0; (at = sorting.output.find("click ", at)) != std::string::npos; ++at) {
        double click = 0, refill = 0;
        if (std::sscanf(sorting.output.c_str() + at, "click %lf refill %lf", &click, &refill) ==
            2) {
            clicks.push_back(click);
            refills.push_back(refill);
        }
    }

    // Each deletion in a process of its own, on a copy of the file (the deletion saves it).
    std::vector<double> deleteClicks, selects, deletes, saves;
    for (int i = 0; i < repetitions; ++i) {
        const std::filesystem::path copy = work / "delete";
        std::filesystem::create_directories(copy);
        std::filesystem::copy_file(database, copy / "TessarinDatabase.tdb",
                                   std::filesystem::copy_options::overwrite_existing);
        const CRun run = Run({self, "--delete", copy.string()}, {}, true);
        double click = 0, select = 0, deleted = 0, save = 0;
        int rows = 0;
        if (run.status != 0 ||
            std::sscanf(run.output.c_str(), "click %lf select %lf delete %lf save %lf rows %d",
                        &click, &select, &deleted, &save, &rows) != 5) {
            std::fprintf(stderr, "the delete run failed: %d\n", run.status);
            return 1;
        }
        std::printf(
            "delete run %d: %d rows, click %.1f ms, select all %.1f ms, delete %.1f ms "
            "(a save alone %.1f ms)\n",
            i + 1, rows, click, select, deleted, save);
        deleteClicks.push_back(click);
        selects.push_back(select);
        deletes.push_back(deleted);
        saves.push_back(save);
    }
    std::filesystem::remove_all(work);

    const double open = Median(openTimes);
    const double ls = Median(lsTimes);
    const double click = Median(clicks);
    const double refill = Median(refills);
    const double viewPeak = Median(openPeaks) / 1024;
    const double emptyPeak = Median(emptyPeaks) / 1024;
    const double lsPeak = Median(lsPeaks) / 1024;
    std::printf("\n%zu records, medians of %d runs (%zu sort clicks)\n", records, repetitions,
                clicks.size());
    std::printf(
        "start to the first rows painted  %8.1f ms   tessarin-cli ls %8.1f ms   ratio %.2f\n", open,
        ls, open / ls);
    std::printf(
        "a header click, rows painted     %8.1f ms   the core's refill %6.1f ms   ratio %.2f\n",
        click, refill, click / refill);
    std::printf(
        "peak memory: view %.1f MiB, empty view %.1f MiB, ls %.1f MiB; "
        "view - empty = %.2f x ls (at most 2)\n",
        viewPeak, emptyPeak, lsPeak, (viewPeak - emptyPeak) / lsPeak);
    const double deleteClick = Median(deleteClicks);
    std::printf(
        "Select All, rows painted         %8.1f ms   a header click %9.1f ms   ratio %.2f\n"
        "Delete of them all, rows painted %8.1f ms   a header click %9.1f ms   ratio %.2f\n"
        "  of which the save              %8.1f ms; without it %.1f ms, ratio %.2f\n",
        Median(selects), deleteClick, Median(selects) / deleteClick, Median(deletes), deleteClick,
        Median(deletes) / deleteClick, Median(saves), Median(deletes) - Median(saves),
        (Median(deletes) - Median(saves)) / deleteClick);
    return 0;
}
