#pragma once

// A few helper threads for work that splits into independent pieces, such as deciphering the items
// of a large database. The thread that owns the crew hands pieces out and goes on with its own
// work; while it waits for a piece to end it runs waiting pieces itself, so it is never idle while
// there is work.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tessarin {

// The threads worth splitting work over on this machine, the caller's own included: its cores, at
// most kMaxWorkThreads (past that the memory, not the cores, sets the pace).
inline constexpr size_t kMaxWorkThreads = 8;
size_t MachineThreads();

class CWorkCrew {
public:
    // Starts up to `helpers` threads; fewer when the system refuses more (with none, every piece
    // runs on the owner's thread while it waits).
    explicit CWorkCrew(size_t helpers);
    // Waits for every piece handed out, then ends the helpers.
    ~CWorkCrew();
    CWorkCrew(const CWorkCrew&) = delete;
    CWorkCrew& operator=(const CWorkCrew&) = delete;

    size_t Helpers() const { return m_threads.size(); }

    // Hands out a piece of work. Pieces must not throw; they run in any order, on any thread.
    void Post(std::function<void()> piece);
    // Returns once `done()` is true, running waiting pieces on this thread meanwhile. `done` is
    // asked under the crew's lock, at first and after each piece ends.
    void RunUntil(const std::function<bool()>& done);
    // Returns once every piece handed out has ended.
    void Wait();

private:
    void Serve();
    // Runs the next waiting piece with the lock released; the lock is held again on return.
    void RunNext(std::unique_lock<std::mutex>& lock);

    std::mutex m_mutex;
    std::condition_variable m_waiting;  // a piece waits, or the helpers are to end
    std::condition_variable m_ended;    // a piece ended
    std::deque<std::function<void()>> m_pieces;
    size_t m_running = 0;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

}  // namespace tessarin
