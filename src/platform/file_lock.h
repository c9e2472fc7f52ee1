#pragma once

// The database lock between processes: an exclusive advisory lock (flock) on a file named after the
// lock in the user's runtime folder. The kernel releases the lock of a process that dies, so a dead
// holder's lock is simply obtained.
//
// Waiting is first come, first served among the processes of this program: each waiter draws a
// ticket from a counter kept in the lock file and goes for the lock only once every earlier ticket
// is gone, so a process that saves in a loop cannot keep winning the lock over another that waits.
// A ticket is a record lock on a byte of the file far past its end, held while its process waits
// and holds the lock; the kernel drops it with its process, so a waiter that died is never waited
// for. Other programs that take the flock alone still get it, without the queue.
#include <cstdint>
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
    bool Open();
    // Draws the next ticket and marks it taken; false when the file takes no record locks.
    bool DrawTicket();
    // Whether every ticket before this process's is gone.
    bool MyTurn();
    // Records, while the lock is still held, that no ticket up to this one waits any more.
    void PassTurn();
    void DropTicket();

    std::string m_path;
    CFileHandle m_file;  // closing it lets go of the lock and the ticket if still held
    int m_depth = 0;
    bool m_ticketHeld = false;
    uint64_t m_ticket = 0;
    // The earliest ticket that may still be waiting or holding, as far as this process has seen.
    uint64_t m_earliest = 0;
};

}  // namespace tessarin
