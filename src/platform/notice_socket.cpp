#include "platform/notice_socket.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/runtime_folder.h"
#include "platform/socket_address.h"

namespace tessarin {

namespace {

// A line longer than this is not a notice; a connection that sends one is closed.
constexpr size_t kMaxLine = 256;

// A connection to the endpoint made without waiting; none when nobody of this user takes it.
CFileHandle Connect(const std::string& endpoint) {
    return ConnectToOwnSocket(EndpointPath(endpoint), false);
}

// Writes as much of the text as the connection takes without waiting; how much that was.
size_t SendNow(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t sent =
            ::send(fd, text.data() + done, text.size() - done, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            break;
        done += static_cast<size_t>(sent);
    }
    return done;
}

}  // namespace

std::string EndpointPath(const std::string& endpoint) {
    const std::string folder = RuntimeFolder();
    return folder.empty() ? std::string() : folder + "/" + endpoint;
}

bool CSocketPoster::Post(const std::string& endpoint, const CChangeNotice& notice) {
    return PostAll(endpoint, {notice}) == 1;
}

size_t CSocketPoster::PostAll(const std::string& endpoint, const CNoticeList& notices) {
    if (notices.empty())
        return 0;
    const CFileHandle fd = Connect(endpoint);
    if (!fd)
        return 0;
    // The lines go out in order in one piece; what the receiver's buffer cannot take now is
    // dropped (a line cut short is ignored by the receiver).
    std::string text;
    std::vector<size_t> ends;
    for (const CChangeNotice& notice : notices) {
        text += NoticeLine(notice);
        ends.push_back(text.size());
    }
    const size_t sent = SendNow(fd.Get(), text);
    size_t posted = 0;
    while (posted < ends.size() && ends[posted] <= sent)
        ++posted;
    return posted;
}

CNoticeReceiver::CNoticeReceiver(const std::string& endpoint) : m_path(EndpointPath(endpoint)) {
    sockaddr_un address;
    if (!MakeSocketAddress(m_path, address))
        return;
    // A socket file whose holder died refuses connections and is replaced; a live holder keeps it.
    if (ConnectToOwnSocket(m_path, true))
        return;
    m_listener = ListenAt(address);
}

CNoticeReceiver::~CNoticeReceiver() {
    if (m_listener)
        ::unlink(m_path.c_str());
}

void CNoticeReceiver::Drop(size_t index) {
    m_connections.erase(m_connections.begin() + static_cast<std::ptrdiff_t>(index));
}

bool CNoticeReceiver::Gather() {
    bool any = false;
    const auto now = std::chrono::steady_clock::now();
    while (m_connections.size() < kMaxConnections) {
        CFileHandle fd(::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd)
            break;
        if (PeerIsThisUser(fd.Get()))
            m_connections.push_back({std::move(fd), CLineBuffer(kMaxLine),
                                     now + std::chrono::seconds(kConnectionSeconds)});
    }
    for (size_t i = 0; i < m_connections.size();) {
        CConnection& c = m_connections[i];
        char buffer[4096];
        const ssize_t n = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            any = true;
            for (const std::string& line :
                 c.lines.Add(std::string_view(buffer, static_cast<size_t>(n))))
                if (auto notice = ParseNoticeLine(line))
                    m_ready.push_back(*notice);
            if (c.lines.Overflowed())
                Drop(i);
            continue;  // read this connection again until it has nothing more
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            // A peer that keeps its connection open without finishing is not waited for.
            if (now >= c.closeBy) {
                Drop(i);
                continue;
            }
            ++i;
            continue;
        }
        Drop(i);  // the poster is done (or gone)
    }
    return any || !m_ready.empty();
}

std::optional<CChangeNotice> CNoticeReceiver::Receive(std::chrono::milliseconds timeout) {
    if (!m_listener)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (m_ready.empty())
            Gather();
        if (!m_ready.empty()) {
            const CChangeNotice notice = m_ready.front();
            m_ready.pop_front();
            return notice;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        std::vector<pollfd> watch;
        // While full, new connections wait in the queue until one of these is done.
        if (m_connections.size() < kMaxConnections)
            watch.push_back({m_listener.Get(), POLLIN, 0});
        for (const CConnection& c : m_connections)
            watch.push_back({c.fd.Get(), POLLIN, 0});
        // Wake up in time to close a connection whose time is up.
        const int wait = static_cast<int>(std::min<long long>(left.count(), 1000));
        ::poll(watch.data(), watch.size(), wait);
    }
}

}  // namespace tessarin
