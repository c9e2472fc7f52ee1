#include "platform/file_lock.h"

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace tessarin {

CFileLock::CFileLock(std::string path) : m_path(std::move(path)) {
    if (m_path.empty()) {
        const std::string folder = RuntimeFolder();
        if (!folder.empty())
            m_path = folder + "/" + kDatabaseLockName;
    }
}

CFileLock::~CFileLock() = default;

bool CFileLock::Acquire(std::chrono::milliseconds timeout) {
    if (m_depth > 0) {
        ++m_depth;
        return true;
    }
    if (!m_file && !m_path.empty())
        m_file = CFileHandle(::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!m_file)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(m_file.Get(), LOCK_EX | LOCK_NB) == 0) {
            m_depth = 1;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CFileLock::Release() {
    if (m_depth == 0)
        return;
    if (--m_depth == 0)
        ::flock(m_file.Get(), LOCK_UN);
}

}  // namespace tessarin
