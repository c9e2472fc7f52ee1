#pragma once

// The database lock between processes: an exclusive advisory lock (flock) on a file named after the
// lock in the user's runtime folder. The kernel releases the lock of a process that dies, so a dead
// holder's lock is simply obtained.
#include <string>

#include "base/unique_handle.h"
#include "store/database_lock.h"

namespace tessarin {

inline constexpr const char* kDatabaseLockName = "TessarinDatabaseMutex";

class CFileLock : public IDatabaseLock {
public:
    // The lock file in the runtime folder, or at `path` when one is given.
    explicit CFileLock(std::string path = {});
    ~CFileLock() override;
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    bool Acquire(std::chrono::milliseconds timeout) override;
    void Release() override;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    CFileHandle m_file;  // closing it lets go of the lock if still held
    int m_depth = 0;
};

}  // namespace tessarin
