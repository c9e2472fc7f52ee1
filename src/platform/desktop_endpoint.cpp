#include "platform/desktop_endpoint.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSocketNotifier>

#include "platform/notice_socket.h"
#include "platform/socket_address.h"

namespace tessarin {

namespace {

// Notices and the instance check are short; a hand-over carries a path, hex-encoded.
constexpr size_t kMaxLine = 2 * 4096 + 64;
// How long a second copy waits for each answer of the running one.
constexpr int kAnswerWaitMs = 5000;

bool SendAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        done += static_cast<size_t>(sent);
    }
    return true;
}

// One answer line, waiting at most the answer time; none when nothing came.
std::optional<std::string> ReadAnswer(int fd) {
    std::string line;
    while (true) {
        pollfd poller{fd, POLLIN, 0};
        const int ready = ::poll(&poller, 1, kAnswerWaitMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char c;
        const ssize_t got = ::recv(fd, &c, 1, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        if (line.size() > 64)
            return std::nullopt;
        line += c;
    }
}

bool Ask(int fd, const std::string& line) {
    if (!SendAll(fd, line + "\n"))
        return false;
    const std::optional<std::string> answer = ReadAnswer(fd);
    return answer && *answer == "1";
}

}  // namespace

CDesktopEndpoint::CDesktopEndpoint(std::string endpoint, QObject* parent)
    : QObject(parent), m_path(EndpointPath(endpoint)) {
    m_overdue.setInterval(1000);
    connect(&m_overdue, &QTimer::timeout, this, [this] { CloseOverdue(); });
}

CDesktopEndpoint::~CDesktopEndpoint() {
    if (m_listener)
        ::unlink(m_path.c_str());
}

bool CDesktopEndpoint::Listen() {
    sockaddr_un address;
    if (m_listener || !MakeSocketAddress(m_path, address))
        return IsListening();
    // A live holder keeps its endpoint; the socket of a dead one refuses and is replaced.
    if (ConnectToOwnSocket(m_path, true))
        return false;
    CFileHandle listener = ListenAt(address);
    if (!listener)
        return false;
    m_listener = std::move(listener);
    m_acceptNotifier = std::make_unique<QSocketNotifier>(m_listener.Get(), QSocketNotifier::Read);
    connect(m_acceptNotifier.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
    return true;
}

void CDesktopEndpoint::Accept() {
    while (m_connections.size() < kMaxConnections) {
        CFileHandle socket(
            ::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!socket)
            return;
        if (!PeerIsThisUser(socket.Get()))
            continue;  // closed at once: only the user's own processes are heard
        const int fd = socket.Get();
        CConnection& connection =
            m_connections
                .emplace(fd, CConnection{std::move(socket), nullptr, CLineBuffer(kMaxLine),
                                         std::chrono::steady_clock::now() +
                                             std::chrono::seconds(kConnectionSeconds)})
                .first->second;
        connection.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(connection.notifier.get(), &QSocketNotifier::activated, this,
                [this, fd] { Read(fd); });
        if (!m_overdue.isActive())
            m_overdue.start();
    }
    // Full: further connections wait in the queue until one of these is done.
    m_acceptNotifier->setEnabled(false);
}

void CDesktopEndpoint::Close(int fd) {
    const auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    it->second.notifier->setEnabled(false);
    // The notifier may be the one whose signal is running: it goes once the loop is back.
    it->second.notifier.release()->deleteLater();
    m_connections.erase(it);
    if (m_connections.empty())
        m_overdue.stop();
    if (m_acceptNotifier && !m_acceptNotifier->isEnabled())
        m_acceptNotifier->setEnabled(true);
}

void CDesktopEndpoint::CloseOverdue() {
    const auto now = std::chrono::steady_clock::now();
    std::vector<int> overdue;
    for (const auto& [fd, connection] : m_connections)
        if (now >= connection.closeBy)
            overdue.push_back(fd);
    for (int fd : overdue)
        Close(fd);
}

void CDesktopEndpoint::Read(int fd) {
    char buffer[4096];
    while (true) {
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (got <= 0) {
            Close(fd);
            return;
        }
        CLineBuffer& lines = m_connections.at(fd).lines;
        const std::vector<std::string> complete =
            lines.Add(std::string_view(buffer, static_cast<size_t>(got)));
        const bool overflowed = lines.Overflowed();
        for (const std::string& line : complete) {
            if (!m_connections.count(fd))
                return;
            HandleLine(fd, line);
        }
        if (overflowed) {
            Close(fd);
            return;
        }
    }
}

void CDesktopEndpoint::HandleLine(int fd, const std::string& line) {
    if (line == kIsMeMessageName) {
        SendAll(fd, "1\n");
        return;
    }
    if (line == kActivateMessageName) {
        if (m_onActivate)
            m_onActivate();
        SendAll(fd, "1\n");
        return;
    }
    if (const auto copy = ParseCopyDataLine(line)) {
        const bool handled =
            copy->first == kCommandLineTag && m_onCopyData && IsHandOverPath(copy->second);
        SendAll(fd, handled ? "1\n" : "0\n");
        if (handled) {
            // The user is asked once the other copy has its answer and has gone.
            const auto [tag, data] = *copy;
            QTimer::singleShot(0, this, [this, tag, data] { m_onCopyData(tag, data); });
        }
        return;
    }
    if (const std::optional<CChangeNotice> notice = ParseNoticeLine(line)) {
        if (m_onNotice)
            m_onNotice(*notice);
    }
}

bool ActivateOtherCopy(const std::string& endpoint, const std::string& commandLine) {
    const CFileHandle connection = ConnectToOwnSocket(EndpointPath(endpoint), true);
    if (!connection)
        return false;
    const int fd = connection.Get();
    const bool found = Ask(fd, kIsMeMessageName);
    if (found) {
        Ask(fd, kActivateMessageName);
        if (!commandLine.empty())
            Ask(fd, CopyDataLine(kCommandLineTag, commandLine));
    }
    return found;
}

}  // namespace tessarin
