#pragma once

// Unix stream sockets of the local endpoints: the address of a socket at a path, a listening
// socket made private, and the user id at the other end of a connection.
#include <cstring>
#include <string>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "base/unique_handle.h"

namespace tessarin {

// How long a connection may stay open on an endpoint before it is closed: a poster writes its
// lines and goes, a second copy asks its three questions; only a stuck or hostile peer takes
// longer.
inline constexpr int kConnectionSeconds = 10;
// How many connections an endpoint keeps open at once; more wait in the listening queue, and what
// the queue cannot hold is refused (a notice is then dropped, as when nobody listens).
inline constexpr size_t kMaxConnections = 64;
inline constexpr int kListenBacklog = 128;

// False when the path is empty or too long for a socket address.
inline bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Whether the process at the other end of a connected socket (for a connection made to a
// listening socket: the one that listens) runs as this user. Everyone else is refused.
inline bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

// A listening socket at `address`, replacing whatever file is there; its socket file is made
// readable and writable by the user alone from the start, whatever the umask. None on failure.
inline CFileHandle ListenAt(const sockaddr_un& address) {
    CFileHandle listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener)
        return {};
    // On Linux the socket file takes the mode of the socket's own inode (less the umask).
    (void)::fchmod(listener.Get(), 0600);
    ::unlink(address.sun_path);
    if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.Get(), kListenBacklog) != 0)
        return {};
    (void)::chmod(address.sun_path, 0600);
    return listener;
}

// A connection to the socket at `path` whose listener runs as this user; none when nobody takes
// it or someone else holds it.
inline CFileHandle ConnectToOwnSocket(const std::string& path, bool wait) {
    sockaddr_un address;
    if (!MakeSocketAddress(path, address))
        return {};
    CFileHandle fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | (wait ? 0 : SOCK_NONBLOCK), 0));
    if (!fd ||
        ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        !PeerIsThisUser(fd.Get()))
        return {};
    return fd;
}

}  // namespace tessarin
