#pragma once

// Owns an open file descriptor and closes it when it goes.
#include <utility>

#include <unistd.h>

namespace tessarin {

class CFileHandle {
public:
    CFileHandle() = default;
    explicit CFileHandle(int fd) : m_fd(fd) {}
    ~CFileHandle() { Close(); }
    CFileHandle(CFileHandle&& other) noexcept : m_fd(other.Release()) {}
    CFileHandle& operator=(CFileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_fd = other.Release();
        }
        return *this;
    }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    int Get() const { return m_fd; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(m_fd, -1); }
    // Closes now; 0 or -1 with errno set, as close() gives.
    int Close() { return m_fd >= 0 ? ::close(Release()) : 0; }

private:
    int m_fd = -1;
};

}  // namespace tessarin
