#pragma once

// Owns a handle of the operating system (a file descriptor, a loaded library) and gives it back
// when it goes, whatever way the code that holds it is left.
#include <utility>

#include <unistd.h>

namespace tessarin {

// `Closer` gives the handle back: an object whose call operator takes it and returns 0, or -1
// with errno set.
template <typename Handle, Handle kNone, typename Closer>
class CUniqueHandle {
public:
    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle handle) : m_handle(handle) {}
    ~CUniqueHandle() { Close(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) {
            Close();
            m_handle = other.Release();
        }
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    explicit operator bool() const { return m_handle != kNone; }
    Handle Get() const { return m_handle; }
    // Gives the handle up without closing it.
    Handle Release() { return std::exchange(m_handle, kNone); }
    // Closes now: the closer's result, 0 when there was nothing to close.
    int Close() { return m_handle != kNone ? Closer()(Release()) : 0; }

private:
    Handle m_handle = kNone;
};

struct CCloseDescriptor {
    int operator()(int fd) const { return ::close(fd); }
};

// An open file descriptor (or socket).
using CFileHandle = CUniqueHandle<int, -1, CCloseDescriptor>;

}  // namespace tessarin
