// The main window's endpoint: the instance check and hand-over of a second copy, and notices.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "app/command_line.h"
#include "platform/desktop_endpoint.h"
#include "platform/notice_socket.h"

namespace tessarin {
namespace {

// Runs `work` on another thread while this one serves the event loop, as two processes would.
template <typename T>
T WhileServing(std::function<T()> work) {
    std::future<T> result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return result.get();
}

TEST(DesktopEndpoint, SecondCopyFindsTheFirstBringsItForwardAndHandsOverItsFile) {
    const std::string name = "Tessarin Desktop test";
    EXPECT_FALSE(ActivateOtherCopy(name, "/tmp/a.vex"));  // nobody there

    CDesktopEndpoint endpoint(name);
    ASSERT_TRUE(endpoint.Listen());
    int activations = 0;
    std::vector<std::pair<uint32_t, std::string>> copies;
    std::vector<CChangeNotice> notices;
    endpoint.m_onActivate = [&] { ++activations; };
    endpoint.m_onCopyData = [&](uint32_t tag, const std::string& data) {
        copies.emplace_back(tag, data);
        return true;
    };
    endpoint.m_onNotice = [&](const CChangeNotice& notice) { notices.push_back(notice); };

    const std::string path = "/home/ann/My Files/b\xc3\xa9 \xe2\x82\xac.vex";
    EXPECT_TRUE(WhileServing<bool>([&] { return ActivateOtherCopy(name, path); }));
    EXPECT_TRUE(WhileServing<bool>([&] { return ActivateOtherCopy(name, ""); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(activations, 2);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0], std::make_pair(kCommandLineTag, path));

    // Change notices arrive on the same endpoint.
    CSocketPoster poster;
    EXPECT_TRUE(poster.Post(name, {kActionChanged, 0, 42}));
    QElapsedTimer waited;
    waited.start();
    while (notices.empty() && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(notices, (std::vector<CChangeNotice>{{kActionChanged, 0, 42}}));

    // A live holder keeps its endpoint.
    CDesktopEndpoint second(name);
    EXPECT_FALSE(second.Listen());
}

TEST(DesktopEndpoint, SocketOfADeadCopyNeverStopsAStart) {
    const std::string name = "Tessarin Desktop stale";
    const std::string path = EndpointPath(name);
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
        ::unlink(path.c_str());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);  // the socket file stays behind, with nobody listening
    }
    EXPECT_FALSE(ActivateOtherCopy(name, "/tmp/x.vex"));
    CDesktopEndpoint endpoint(name);
    EXPECT_TRUE(endpoint.Listen());
}

TEST(CommandLine, SwitchesAreNeverPathsAndPathsBecomeAbsolute) {
    struct Case {
        std::vector<std::string> args;
        std::optional<std::string> path;
        bool shift;
    } cases[] = {
        {{}, std::nullopt, false},
        {{"/rl"}, std::nullopt, true},
        {{"/rl", "x.vex"}, std::nullopt, false},
        {{"/RL"}, std::nullopt, false},
        {{"x.vex"}, "/work/x.vex", false},
        {{"../x.vex"}, "/x.vex", false},
        {{"/home/ann/x.vex"}, "/home/ann/x.vex", false},
        {{"file:///home/ann/my%20x.vex"}, "/home/ann/my x.vex", false},
    };
    for (const Case& c : cases) {
        const CCommandLine line(c.args);
        EXPECT_EQ(line.FilePath("/work"), c.path) << (c.args.empty() ? "" : c.args[0]);
        EXPECT_EQ(line.ShiftsWindow(), c.shift);
    }
}

}  // namespace
}  // namespace tessarin
