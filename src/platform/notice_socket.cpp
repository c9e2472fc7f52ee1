#include "platform/notice_socket.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace tessarin {

namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
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
    sockaddr_un address;
    if (!MakeAddress(EndpointPath(endpoint), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const std::string line = NoticeLine(notice);
    const ssize_t sent = ::sendto(fd, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
    return sent == static_cast<ssize_t>(line.size());
}

CNoticeReceiver::CNoticeReceiver(const std::string& endpoint) : m_path(EndpointPath(endpoint)) {
    sockaddr_un address;
    if (!MakeAddress(m_path, address))
        return;
    m_fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_fd < 0)
        return;
    // A socket file whose holder died refuses connections and is replaced; a live holder keeps it.
    const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool held = probe >= 0 && ::connect(probe, reinterpret_cast<const sockaddr*>(&address),
                                              sizeof address) == 0;
    if (probe >= 0)
        ::close(probe);
    if (held) {
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    ::unlink(m_path.c_str());
    if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CNoticeReceiver::~CNoticeReceiver() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
    }
}

std::optional<CChangeNotice> CNoticeReceiver::Receive(std::chrono::milliseconds timeout) {
    if (m_fd < 0)
        return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        char buffer[256];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer - 1, 0);
        if (n >= 0) {
            buffer[n] = 0;
            if (auto notice = ParseNoticeLine(buffer))
                return notice;
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return std::nullopt;
        pollfd watch{m_fd, POLLIN, 0};
        ::poll(&watch, 1, static_cast<int>(left.count()));
    }
}

}  // namespace tessarin
