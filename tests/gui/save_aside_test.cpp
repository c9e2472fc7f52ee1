// The thread a large database's save writes on: the window's loop turns while it works, and the
// call returns only once the work has ended, even when the program is told to quit meanwhile.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include <QCoreApplication>
#include <QTimer>

#include "ui/save_aside.h"

namespace tessarin {
namespace {

// Waits, off the window's thread, until `until` holds; gives up after a long while, so that a
// fault fails the test instead of hanging it.
void WaitFor(const std::function<bool()>& until) {
    for (int i = 0; i < 20000 && !until(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(SaveAside, TheWindowsTimersRunWhileTheWorkRuns) {
    std::atomic<int> ticks{0};
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(1);
    std::thread::id workedOn;
    bool ended = false;
    ThreadAside().RunAside([&] {
        workedOn = std::this_thread::get_id();
        // The work ends only once the window's thread has turned its loop a few times.
        WaitFor([&] { return ticks >= 3; });
        ended = true;
    });
    EXPECT_TRUE(ended);
    EXPECT_GE(ticks, 3);
    EXPECT_NE(workedOn, std::this_thread::get_id());
}

TEST(SaveAside, AQuitMeanwhileWaitsForTheWork) {
    std::atomic<bool> quitSaid{false};
    bool ended = false;
    QTimer::singleShot(0, [&] {
        QCoreApplication::exit(0);
        quitSaid = true;
    });
    ThreadAside().RunAside([&] {
        WaitFor([&] { return quitSaid.load(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ended = true;
    });
    EXPECT_TRUE(quitSaid);
    EXPECT_TRUE(ended);
    // The quit was for this test only: the next loops of the suite run as before.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace
}  // namespace tessarin
