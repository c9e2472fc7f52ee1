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

// How work on the items of a long list is spread over threads: loading and saving a database
// (each item is enciphered on its own, so any thread can decipher or encipher it) and writing the
// rows of a long table. Whatever must keep the list's order stays on the calling thread, so the
// results are those of one thread.
struct CItemThreads {
    // Threads in all, the caller's included; 0: MachineThreads().
    size_t threads = 0;
    // Shorter lists stay on the calling thread: below about this many items, starting a thread
    // and handing batches to it cost more than it saves (bench_database, BM_Load and BM_Save with
    // one thread and with two: behind or even at 3,000 records, ahead from 5,000).
    size_t fromItems = 4000;
    // Items per piece of work handed to a thread.
    size_t batchItems = 256;
};

// The setting for the whole process; benchmarks and tests change it.
CItemThreads& ItemThreads();
// The threads worth spreading work on `count` items over: 1 keeps it on the calling thread.
size_t ItemThreadsFor(size_t count);

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
    // Calls work(i) for every i below `count`, as pieces, and returns once they have all ended.
    void ForEach(size_t count, const std::function<void(size_t)>& work);

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
