// The main window's endpoint hears only the user's own processes, offers only paths it can show
// whole, and serves a bounded number of connections with bounded lines.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <future>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>

#include "platform/desktop_endpoint.h"
#include "platform/notice_socket.h"
#include "platform/socket_address.h"
#include "support/file_modes.h"
#include "support/other_user.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

// Runs `work` on another thread while this one serves the event loop, as two processes would.
template <typename T>
T WhileServing(std::function<T()> work) {
    std::future<T> result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return result.get();
}

// A plain connection to the socket at `path`, with no check of who holds it.
CFileHandle Connect(const std::string& path) {
    sockaddr_un address;
    CFileHandle fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd || !MakeSocketAddress(path, address) ||
        ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
}

// What comes back on the connection within `ms`: the bytes read, then "<closed>" when the other
// end closed it, or "<quiet>" when nothing more came.
std::string Answers(int fd, int ms = 5000) {
    std::string got;
    for (;;) {
        pollfd poller{fd, POLLIN, 0};
        if (::poll(&poller, 1, ms) <= 0)
            return got + "<quiet>";
        char buffer[256];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return got + "<closed>";
        got.append(buffer, static_cast<size_t>(n));
    }
}

void Send(int fd, const std::string& text) {
    ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
}

// Sends the last lines: the endpoint closes the connection once it has answered them.
void SendLast(int fd, const std::string& text) {
    Send(fd, text);
    ::shutdown(fd, SHUT_WR);
}

class EndpointGuard : public ::testing::Test {
protected:
    EndpointGuard() : m_endpoint(kName) {
        m_endpoint.m_onCopyData = [this](uint32_t, const std::string& data) {
            m_copies.push_back(data);
            return true;
        };
        m_endpoint.m_onNotice = [this](const CChangeNotice& notice) {
            m_notices.push_back(notice);
        };
    }
    std::string Path() const { return EndpointPath(kName); }

    static constexpr const char* kName = "Tessarin Desktop guard";
    CDesktopEndpoint m_endpoint;
    std::vector<std::string> m_copies;
    std::vector<CChangeNotice> m_notices;
};

TEST_F(EndpointGuard, AHandedOverPathThatCannotBeShownWholeIsRefused) {
    ASSERT_TRUE(m_endpoint.Listen());
    EXPECT_EQ(test::ModeAt(Path()), 0600);
    const std::string good = "/home/ann/b\xc3\xa9.vex";
    const std::string bad[] = {std::string("/tmp/a.vex\0x", 12),
                               "/tmp/a\nb.vex",
                               "/tmp/\x1b[8m.vex",
                               "/tmp/a\xc2\x85.vex",
                               "a.vex",
                               "/tmp/\xff.vex"};
    for (const std::string& path : bad) {
        const std::string answer = WhileServing<std::string>([&] {
            const CFileHandle fd = Connect(Path());
            SendLast(fd.Get(), CopyDataLine(kCommandLineTag, path) + "\n");
            return Answers(fd.Get());
        });
        EXPECT_EQ(answer, "0\n<closed>") << path;
    }
    const std::string answer = WhileServing<std::string>([&] {
        const CFileHandle fd = Connect(Path());
        SendLast(fd.Get(), CopyDataLine(kCommandLineTag, good) + "\n");
        return Answers(fd.Get());
    });
    EXPECT_EQ(answer, "1\n<closed>");
    QCoreApplication::processEvents();
    EXPECT_EQ(m_copies, std::vector<std::string>{good});
}

TEST_F(EndpointGuard, ALineLongerThanAHandOverClosesItsConnection) {
    ASSERT_TRUE(m_endpoint.Listen());
    const std::string answers = WhileServing<std::string>([&] {
        const CFileHandle fd = Connect(Path());
        Send(fd.Get(), "WM_Tessarin10_IsMe\n" + std::string(20000, 'x') + "\nWM_Tessarin10_IsMe\n");
        return Answers(fd.Get());
    });
    EXPECT_EQ(answers, "1\n<closed>");
    // The longest hand-over still goes through.
    const std::string longest = "/" + std::string(4095, 'a');
    const std::string answer = WhileServing<std::string>([&] {
        const CFileHandle fd = Connect(Path());
        SendLast(fd.Get(), CopyDataLine(kCommandLineTag, longest) + "\n");
        return Answers(fd.Get());
    });
    EXPECT_EQ(answer, "1\n<closed>");
}

TEST_F(EndpointGuard, ConnectionsBeyondTheLimitWaitUntilOneCloses) {
    ASSERT_TRUE(m_endpoint.Listen());
    std::vector<CFileHandle> idle;
    for (size_t i = 0; i < kMaxConnections; ++i)
        idle.push_back(Connect(Path()));
    QCoreApplication::processEvents();
    const CFileHandle last = Connect(Path());
    ASSERT_TRUE(last);  // queued by the system
    SendLast(last.Get(), "WM_Tessarin10_IsMe\n");
    EXPECT_EQ(WhileServing<std::string>([&] { return Answers(last.Get(), 300); }), "<quiet>");
    idle.pop_back();
    EXPECT_EQ(WhileServing<std::string>([&] { return Answers(last.Get()); }), "1\n<closed>");
}

// The runtime folder and the socket opened to everyone for a while, so that only the peer check
// stands between another user and the endpoint.
class COpenedToOthers {
public:
    explicit COpenedToOthers(const std::string& socket) {
        const fs::path runtime = std::getenv("XDG_RUNTIME_DIR");
        m_folders = {runtime.parent_path(), runtime};
        for (const fs::path& folder : m_folders)
            ::chmod(folder.c_str(), 0711);
        ::chmod(socket.c_str(), 0666);
    }
    ~COpenedToOthers() {
        for (const fs::path& folder : m_folders)
            ::chmod(folder.c_str(), 0700);
    }

private:
    std::vector<fs::path> m_folders;
};

TEST_F(EndpointGuard, AnotherUsersProcessIsNotHeard) {
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to connect as another user";
    ASSERT_TRUE(m_endpoint.Listen());
    const COpenedToOthers opened(Path());
    const std::string path = Path();
    // 0: the connection was closed without an answer; 1: answered; 2: connected, no answer;
    // 3: could not connect at all.
    const pid_t other = test::ForkAsOtherUser([path] {
        const CFileHandle fd = Connect(path);
        if (!fd)
            return 3;
        Send(fd.Get(), "WM_Tessarin10_DatabaseNotify 3 42\nWM_Tessarin10_IsMe\n" +
                           CopyDataLine(kCommandLineTag, "/tmp/theirs.vex") + "\n");
        const std::string answer = Answers(fd.Get(), 5000);
        return answer == "<closed>" ? 0 : answer.rfind("1\n", 0) == 0 ? 1 : 2;
    });
    EXPECT_EQ(WhileServing<int>([other] { return test::WaitForChild(other); }), 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_notices.empty());
    EXPECT_TRUE(m_copies.empty());
    // The user's own processes are still heard.
    const std::string answer = WhileServing<std::string>([&] {
        const CFileHandle fd = Connect(path);
        SendLast(fd.Get(), "WM_Tessarin10_IsMe\n");
        return Answers(fd.Get());
    });
    EXPECT_EQ(answer, "1\n<closed>");
}

TEST_F(EndpointGuard, AnEndpointHeldByAnotherUserIsNeitherAskedNorToldAnything) {
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to listen as another user";
    const std::string path = Path();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // It takes the socket file as root (only root may write the folder), then listens as the
    // other user, and answers "1" to every line.
    CFileHandle listener;
    const pid_t other = test::ForkAsOtherUser(
        [&] {
            if (::listen(listener.Get(), 8) != 0)
                return 3;
            (void)::write(ready[1], "r", 1);
            for (;;) {
                const CFileHandle fd(::accept(listener.Get(), nullptr, nullptr));
                if (!fd)
                    return 4;
                char buffer[256];
                while (::recv(fd.Get(), buffer, sizeof buffer, 0) > 0)
                    Send(fd.Get(), "1\n");
            }
        },
        [&] {
            sockaddr_un address;
            MakeSocketAddress(path, address);
            listener = CFileHandle(::socket(AF_UNIX, SOCK_STREAM, 0));
            ::unlink(path.c_str());
            ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
        });
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    ::close(ready[1]);
    // A second start does not take it for the program and send it the file; posters drop their
    // notices; and the window takes the endpoint over from it.
    EXPECT_FALSE(ActivateOtherCopy(kName, "/home/ann/secret-list.vex"));
    EXPECT_FALSE(CSocketPoster().Post(kName, {kActionChanged, 0, 1}));
    EXPECT_TRUE(m_endpoint.Listen());
    ::kill(other, SIGKILL);
    test::WaitForChild(other);
}

}  // namespace
}  // namespace tessarin
