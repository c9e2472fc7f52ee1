#pragma once

// The lock that every load and save of a database holds, shared with the other processes that work
// on the same files (other copies of this program, the sync components).
#include <chrono>

namespace tessarin {

class IDatabaseLock {
public:
    virtual ~IDatabaseLock() = default;
    // Waits at most `timeout` for the lock. Taking it again while held only counts, so a load that
    // saves within itself does not wait for itself. A holder that died released it.
    virtual bool Acquire(std::chrono::milliseconds timeout) = 0;
    virtual void Release() = 0;
};

// For a process that works alone (tests, tools): always obtained.
class CNoLock : public IDatabaseLock {
public:
    bool Acquire(std::chrono::milliseconds) override { return true; }
    void Release() override {}
};

// Holds the lock for as long as it lives, when it could be taken.
class CLockHold {
public:
    CLockHold(IDatabaseLock& lock, std::chrono::milliseconds timeout)
        : m_lock(lock), m_held(lock.Acquire(timeout)) {}
    ~CLockHold() {
        if (m_held)
            m_lock.Release();
    }
    CLockHold(const CLockHold&) = delete;
    CLockHold& operator=(const CLockHold&) = delete;
    bool Held() const { return m_held; }

private:
    IDatabaseLock& m_lock;
    bool m_held;
};

}  // namespace tessarin
