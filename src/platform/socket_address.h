#pragma once

// The address of a Unix stream socket at a path.
#include <cstring>
#include <string>

#include <sys/un.h>

namespace tessarin {

// False when the path is empty or too long for a socket address.
inline bool MakeSocketAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace tessarin
