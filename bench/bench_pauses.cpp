// The record view on a large database: the longest pause of the window's thread (what a user
// feels as the window not answering) for a click on a column's header, a change of the type
// chooser, a key typed in the search field, Select All and a click on one row, each step repeated.
// A timer ticks every 10 ms on the window's thread; the longest gap between two ticks from the step
// until the window is idle again, paints included, is the step's pause.
//   bench_pauses [RECORDS] [REPETITIONS] [STEP]   (STEP: only the steps whose names hold it)
// On Qt's offscreen platform by default, which has no accessibility layer; for the window as a
// screen reader's user has it, with Qt's AT-SPI bridge on:  bench/a11y_session.sh bench_pauses ...
// Not a Google Benchmark program: a pause is a gap in the window's own event loop.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QAccessible>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "ui/desktop_view.h"
#include "view_program.h"

using namespace tessarin;
using Clock = std::chrono::steady_clock;

namespace {

using bench::Ms;

// The window's thread's gaps: a timer ticks every 10 ms and each tick notes how long it waited.
class CTicks {
public:
    CTicks() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const Clock::time_point now = Clock::now();
            m_longest = std::max(m_longest, Ms(now - m_last));
            m_last = now;
        });
        m_timer.start(10);
    }
    // Runs `step` from the event loop and lets the loop run until the window has been idle for a
    // while; the longest gap meanwhile.
    double PauseOf(const std::function<void()>& step) {
        Run(100);  // settle
        m_longest = 0;
        m_last = Clock::now();
        QTimer::singleShot(0, step);
        Run(300);
        return m_longest;
    }

private:
    static void Run(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QTimer m_timer;
    Clock::time_point m_last = Clock::now();
    double m_longest = 0;
};

void Type(QWidget* target, int key, const QString& text = {}) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &event);
    }
}

void ClickRow(CRecordListView& list, int row) {
    const QRect cell = list.visualRect(list.Model().index(row, 1));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(
            type, cell.center(), list.viewport()->mapToGlobal(cell.center()), Qt::LeftButton,
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &event);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    // scripts/bench passes a benchmark filter to every program: it changes nothing here.
    const bool counts = argc > 1 && std::strncmp(argv[1], "--benchmark", 11) != 0;
    const size_t records = counts ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const int repetitions = counts && argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string only = counts && argc > 3 ? argv[3] : "";

    const std::filesystem::path work = std::filesystem::temp_directory_path() /
                                       ("tessarin-bench-pauses-" + std::to_string(getpid()));
    std::filesystem::create_directories(work / "runtime");
    std::filesystem::permissions(work / "runtime", std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", (work / "runtime").c_str(), 1);
    bench::MakeDatabaseFile((work / "TessarinDatabase.tdb").string(), records, bench::kPassword);

    bench::CViewProgram program(argc, argv);
    CTessarinDesktopView view(program.context, program.preferences);
    if (!view.OpenDatabase(work.string()))
        return 1;
    view.resize(1000, 700);
    view.show();
    // Time for the accessibility bridge, where there is one, to find its bus and come on.
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();
    CRecordListView& list = *view.List();
    QLineEdit& search = *view.SearchField();
    std::printf("%zu records on %s, accessibility %s\n", records,
                qPrintable(QGuiApplication::platformName()),
                QAccessible::isActive() ? "on" : "off");

    // The steps in the order a user might take them; each leaves the view as the next expects.
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"header click: sort by field 1", [&] { bench::ClickHeader(list, kFirstFieldColumn); }},
        {"header click: sort by type", [&] { bench::ClickHeader(list, kTypeColumn); }},
        {"type chooser: one type", [&] { view.SelectTypeEntry(1); }},
        {"type chooser: All Types", [&] { view.SelectTypeEntry(0); }},
        {"search: first letter (e)", [&] { Type(&search, Qt::Key_E, "e"); }},
        {"search: next letter (ex)", [&] { Type(&search, Qt::Key_X, "x"); }},
        {"search: letter taken back (e)", [&] { Type(&search, Qt::Key_Backspace); }},
        {"search: Escape (all rows again)", [&] { Type(&search, Qt::Key_Escape); }},
        {"Select All", [&] { view.SelectAllRows(); }},
        {"click on one row", [&] { ClickRow(list, 0); }},
    };
    CTicks ticks;
    std::map<std::string, std::vector<double>> pauses;
    for (int round = 0; round < repetitions; ++round) {
        for (const auto& [name, step] : steps)
            if (std::string(name).find(only) != std::string::npos)
                pauses[name].push_back(ticks.PauseOf(step));
        if (view.RowCount() != static_cast<int>(records)) {
            std::fprintf(stderr, "the list lost rows: %d\n", view.RowCount());
            return 2;
        }
    }
    std::filesystem::remove_all(work);

    std::printf("\nlongest pause of the window's thread, ms: median and longest of %d\n",
                repetitions);
    for (const auto& [name, step] : steps) {
        const std::vector<double>& each = pauses[name];
        if (each.empty())
            continue;
        std::printf("  %-34s %8.1f %8.1f\n", name, Median(each),
                    *std::max_element(each.begin(), each.end()));
    }
    return 0;
}
