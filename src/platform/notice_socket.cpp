#include "platform/notice_socket.h"

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

// More connections than this waiting to be taken are refused, and their notices dropped.
constexpr int kBacklog = 4096;
// A line longer than this is not a notice; a connection that sends one is closed.
constexpr size_t kMaxLine = 256;

// A connection to the endpoint made without waiting; none when nobody takes it.
CFileHandle Connect(const std::string& endpoint) {
    sockaddr_un address;
    if (!MakeSocketAddress(EndpointPath(endpoint), address))
        return {};
    CFileHandle fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd ||
        ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return {};
    return fd;
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

std::string NoticeLine(const CChangeNotice& notice) {
    const uint32_t first = (notice.kind & 0xFFFF) << 16 | (notice.action & 0xFFFF);
    return std::string(kNoticeMessageName) + " " + std::to_string(first) + " " +
           std::to_string(notice.recordNumber) + "\n";
}

std::optional<CChangeNotice> ParseNoticeLine(const std::string& line) {
    char name[64] = {};
    unsigned long first = 0, second = 0;
    char end = 0;
    if (std::sscanf(line.c_str(), "%63s %lu %lu%c", name, &first, &second, &end) < 3 ||
        std::strcmp(name, kNoticeMessageName) != 0 || first > 0xFFFFFFFFul ||
        second > 0xFFFFFFFFul || (end != 0 && end != '\n'))
        return std::nullopt;
    return CChangeNotice{static_cast<uint32_t>(first & 0xFFFF), static_cast<uint32_t>(first >> 16),
                         static_cast<uint32_t>(second)};
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
    const CFileHandle probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (probe &&
        ::connect(probe.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return;
    CFileHandle listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener)
        return;
    ::unlink(m_path.c_str());
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(listener.Get(), kBacklog) == 0)
        m_listener = std::move(listener);
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
    for (int fd;
         (fd = ::accept4(m_listener.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;)
        m_connections.push_back({CFileHandle(fd), {}});
    for (size_t i = 0; i < m_connections.size();) {
        CConnection& c = m_connections[i];
        char buffer[4096];
        const ssize_t n = ::recv(c.fd.Get(), buffer, sizeof buffer, 0);
        if (n > 0) {
            any = true;
            c.pending.append(buffer, static_cast<size_t>(n));
            size_t start = 0;
            for (size_t end; (end = c.pending.find('\n', start)) != std::string::npos;
                 start = end + 1) {
                if (auto notice = ParseNoticeLine(c.pending.substr(start, end - start + 1)))
                    m_ready.push_back(*notice);
            }
            c.pending.erase(0, start);
            if (c.pending.size() > kMaxLine) {
                Drop(i);
                continue;
            }
            continue;  // read this connection again until it has nothing more
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
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
        std::vector<pollfd> watch{{m_listener.Get(), POLLIN, 0}};
        for (const CConnection& c : m_connections)
            watch.push_back({c.fd.Get(), POLLIN, 0});
        ::poll(watch.data(), watch.size(), static_cast<int>(left.count()));
    }
}

}  // namespace tessarin
