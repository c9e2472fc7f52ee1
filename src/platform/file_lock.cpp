#include "platform/file_lock.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/runtime_folder.h"

namespace tessarin {

namespace {

// The counter of tickets drawn (the file's first eight bytes) and the earliest ticket that may still
// be waiting or holding (the next eight), both read and changed under a record lock on the first.
constexpr off_t kCounterAt = 0;
constexpr off_t kCounterSize = sizeof(uint64_t);
constexpr off_t kEarliestAt = kCounterSize;
// Ticket n is a record lock on the byte at kTicketsAt + n (modulo the space below the largest
// offset, which no queue will ever reach).
constexpr off_t kTicketsAt = off_t{1} << 40;
constexpr uint64_t kTicketSpace = uint64_t{1} << 60;

off_t TicketByte(uint64_t ticket) {
    return kTicketsAt + static_cast<off_t>(ticket % kTicketSpace);
}

// A record lock of this open file (not of the process: it conflicts with the other descriptors of
// the same process too, and goes when the descriptor is closed).
bool RecordLock(int fd, short type, off_t start, off_t length, bool wait) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

// Whether another open file holds a record lock on the byte.
bool ByteHeldElsewhere(int fd, off_t at) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = at;
    probe.l_len = 1;
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return false;
    return probe.l_type != F_UNLCK;
}

// Sleeps a little longer each time, from 50 microseconds up to 2 milliseconds: a lock handed on
// is noticed at once, a long hold costs little.
class CBackoff {
public:
    void Wait() {
        std::this_thread::sleep_for(m_pause);
        m_pause = std::min(m_pause * 2, std::chrono::microseconds(2000));
    }

private:
    std::chrono::microseconds m_pause{50};
};

}  // namespace

CFileLock::CFileLock(std::string path) : m_path(std::move(path)) {
    if (m_path.empty()) {
        const std::string folder = RuntimeFolder();
        if (!folder.empty())
            m_path = folder + "/" + kDatabaseLockName;
    }
}

CFileLock::~CFileLock() = default;

bool CFileLock::Open() {
    if (!m_file && !m_path.empty())
        m_file = CFileHandle(
            ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    return static_cast<bool>(m_file);
}

bool CFileLock::DrawTicket() {
    const int fd = m_file.Get();
    if (!RecordLock(fd, F_WRLCK, kCounterAt, kCounterSize, true))
        return false;
    uint64_t next = 0;
    if (::pread(fd, &next, sizeof next, kCounterAt) != static_cast<ssize_t>(sizeof next))
        next = 0;
    uint64_t earliest = 0;
    if (::pread(fd, &earliest, sizeof earliest, kEarliestAt) != static_cast<ssize_t>(sizeof earliest))
        earliest = 0;
    m_ticket = next;
    ++next;
    const bool written =
        ::pwrite(fd, &next, sizeof next, kCounterAt) == static_cast<ssize_t>(sizeof next);
    // The ticket is marked before the counter is let go: whoever draws the next one sees it.
    m_ticketHeld = written && RecordLock(fd, F_RDLCK, TicketByte(m_ticket), 1, false);
    RecordLock(fd, F_UNLCK, kCounterAt, kCounterSize, false);
    m_earliest = std::min(std::max(m_earliest, earliest), m_ticket);
    return m_ticketHeld;
}

bool CFileLock::MyTurn() {
    while (m_earliest < m_ticket) {
        if (ByteHeldElsewhere(m_file.Get(), TicketByte(m_earliest)))
            return false;
        // Gone: it had its turn, gave up waiting, or its process ended. Never looked at again.
        ++m_earliest;
    }
    return true;
}

void CFileLock::PassTurn() {
    // Every earlier ticket was gone when this one's turn came, and this one is going now.
    const int fd = m_file.Get();
    if (!RecordLock(fd, F_WRLCK, kCounterAt, kCounterSize, true))
        return;
    const uint64_t earliest = m_ticket + 1;
    ::pwrite(fd, &earliest, sizeof earliest, kEarliestAt);
    RecordLock(fd, F_UNLCK, kCounterAt, kCounterSize, false);
}

void CFileLock::DropTicket() {
    if (m_ticketHeld)
        RecordLock(m_file.Get(), F_UNLCK, TicketByte(m_ticket), 1, false);
    m_ticketHeld = false;
}

bool CFileLock::Acquire(std::chrono::milliseconds timeout) {
    if (m_depth > 0) {
        ++m_depth;
        return true;
    }
    if (!Open())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto late = [&] { return std::chrono::steady_clock::now() >= deadline; };
    // Without record locks (a file system that has none) the lock is still exclusive, only not
    // handed out in order.
    if (DrawTicket()) {
        CBackoff backoff;
        while (!MyTurn()) {
            if (late()) {
                DropTicket();
                return false;
            }
            backoff.Wait();
        }
    }
    CBackoff backoff;
    for (;;) {
        if (::flock(m_file.Get(), LOCK_EX | LOCK_NB) == 0) {
            m_depth = 1;
            return true;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || late()) {
            DropTicket();
            return false;
        }
        backoff.Wait();
    }
}

void CFileLock::Release() {
    if (m_depth == 0)
        return;
    if (--m_depth == 0) {
        if (m_ticketHeld)
            PassTurn();
        ::flock(m_file.Get(), LOCK_UN);
        DropTicket();
    }
}

}  // namespace tessarin
