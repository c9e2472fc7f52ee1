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
#include <QTimer>

#include "platform/notice_socket.h"
#include "platform/socket_address.h"

namespace tessarin {

namespace {

constexpr int kBacklog = 4096;
// Notices and the instance check are short; a hand-over carries a path, hex-encoded.
constexpr size_t kMaxLine = 2 * 4096 + 64;
// How long a second copy waits for each answer of the running one.
constexpr int kAnswerWaitMs = 5000;

// A blocking connection to the socket at `path`; none when nobody takes it.
CFileHandle ConnectTo(const std::string& path) {
    sockaddr_un address;
    if (!MakeSocketAddress(path, address))
        return {};
    CFileHandle fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd ||
        ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
}

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

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string CopyDataLine(uint32_t tag, const std::string& data) {
    static const char kDigits[] = "0123456789abcdef";
    std::string line = std::string(kCopyDataMessageName) + " " + std::to_string(tag) + " ";
    for (unsigned char c : data) {
        line += kDigits[c >> 4];
        line += kDigits[c & 15];
    }
    return line;
}

std::optional<std::pair<uint32_t, std::string>> ParseCopyDataLine(const std::string& line) {
    const std::string prefix = std::string(kCopyDataMessageName) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const size_t space = line.find(' ', prefix.size());
    if (space == std::string::npos || space == prefix.size())
        return std::nullopt;
    uint32_t tag = 0;
    for (size_t i = prefix.size(); i < space; ++i) {
        if (line[i] < '0' || line[i] > '9' || tag > 429496728)
            return std::nullopt;
        tag = tag * 10 + static_cast<uint32_t>(line[i] - '0');
    }
    const std::string hex = line.substr(space + 1);
    if (hex.size() % 2)
        return std::nullopt;
    std::string data;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        data += static_cast<char>(high << 4 | low);
    }
    return std::make_pair(tag, data);
}

CDesktopEndpoint::CDesktopEndpoint(std::string endpoint, QObject* parent)
    : QObject(parent), m_path(EndpointPath(endpoint)) {}

CDesktopEndpoint::~CDesktopEndpoint() {
    if (m_listener)
        ::unlink(m_path.c_str());
}

bool CDesktopEndpoint::Listen() {
    sockaddr_un address;
    if (m_listener || !MakeSocketAddress(m_path, address))
        return IsListening();
    // A live holder keeps its endpoint; the socket of a dead one refuses and is replaced.
    if (ConnectTo(m_path))
        return false;
    ::unlink(m_path.c_str());
    CFileHandle listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener ||
        ::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), kBacklog) != 0)
        return false;
    ::chmod(m_path.c_str(), 0600);
    m_listener = std::move(listener);
    m_acceptNotifier = std::make_unique<QSocketNotifier>(m_listener.Get(), QSocketNotifier::Read);
    connect(m_acceptNotifier.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
    return true;
}

void CDesktopEndpoint::Accept() {
    while (true) {
        const int fd = ::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        CConnection& connection = m_connections[fd];
        connection.socket = CFileHandle(fd);
        connection.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(connection.notifier.get(), &QSocketNotifier::activated, this,
                [this, fd] { Read(fd); });
    }
}

void CDesktopEndpoint::Close(int fd) {
    const auto it = m_connections.find(fd);
    if (it == m_connections.end())
        return;
    it->second.notifier->setEnabled(false);
    // The notifier may be the one whose signal is running: it goes once the loop is back.
    it->second.notifier.release()->deleteLater();
    m_connections.erase(it);
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
        std::string& pending = m_connections[fd].pending;
        pending.append(buffer, static_cast<size_t>(got));
        size_t start = 0, end;
        std::vector<std::string> lines;
        while ((end = pending.find('\n', start)) != std::string::npos) {
            lines.push_back(pending.substr(start, end - start));
            start = end + 1;
        }
        pending.erase(0, start);
        if (pending.size() > kMaxLine) {
            Close(fd);
            return;
        }
        for (const std::string& line : lines) {
            if (!m_connections.count(fd))
                return;
            HandleLine(fd, line);
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
        const bool handled = copy->first == kCommandLineTag && m_onCopyData;
        SendAll(fd, handled ? "1\n" : "0\n");
        if (handled) {
            // The user is asked once the other copy has its answer and has gone.
            const auto [tag, data] = *copy;
            QTimer::singleShot(0, this, [this, tag, data] { m_onCopyData(tag, data); });
        }
        return;
    }
    if (const std::optional<CChangeNotice> notice = ParseNoticeLine(line + "\n")) {
        if (m_onNotice)
            m_onNotice(*notice);
    }
}

bool ActivateOtherCopy(const std::string& endpoint, const std::string& commandLine) {
    const CFileHandle connection = ConnectTo(EndpointPath(endpoint));
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
