#include "base/work_crew.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace tessarin {

size_t MachineThreads() {
    const size_t cores = std::thread::hardware_concurrency();  // 0 when unknown
    return std::clamp<size_t>(cores, 1, kMaxWorkThreads);
}

CItemThreads& ItemThreads() {
    static CItemThreads setting;
    return setting;
}

size_t ItemThreadsFor(size_t count) {
    const CItemThreads& setting = ItemThreads();
    if (count < setting.fromItems || count < 2)
        return 1;
    return setting.threads ? setting.threads : MachineThreads();
}

CWorkCrew::CWorkCrew(size_t helpers) {
    m_threads.reserve(helpers);
    for (size_t i = 0; i < helpers; ++i) {
        try {
            m_threads.emplace_back([this] { Serve(); });
        } catch (const std::system_error&) {
            break;  // the work still gets done, by fewer threads
        }
    }
}

CWorkCrew::~CWorkCrew() {
    Wait();
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_waiting.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

void CWorkCrew::Post(std::function<void()> piece) {
    {
        const std::lock_guard lock(m_mutex);
        m_pieces.push_back(std::move(piece));
    }
    m_waiting.notify_one();
}

void CWorkCrew::RunNext(std::unique_lock<std::mutex>& lock) {
    std::function<void()> piece = std::move(m_pieces.front());
    m_pieces.pop_front();
    ++m_running;
    lock.unlock();
    piece();
    piece = nullptr;  // whatever it holds goes before the owner hears that it ended
    lock.lock();
    --m_running;
    m_ended.notify_all();
}

void CWorkCrew::RunUntil(const std::function<bool()>& done) {
    std::unique_lock lock(m_mutex);
    while (!done()) {
        if (!m_pieces.empty())
            RunNext(lock);
        else
            m_ended.wait(lock);
    }
}

void CWorkCrew::Wait() {
    RunUntil([this] { return m_pieces.empty() && m_running == 0; });
}

void CWorkCrew::ForEach(size_t count, const std::function<void(size_t)>& work) {
    std::atomic<size_t> ended = 0;
    for (size_t i = 0; i < count; ++i)
        Post([&work, &ended, i] {
            work(i);
            ended.fetch_add(1, std::memory_order_release);
        });
    RunUntil([&] { return ended.load(std::memory_order_acquire) == count; });
}

void CWorkCrew::Serve() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_waiting.wait(lock, [this] { return m_stop || !m_pieces.empty(); });
        if (m_pieces.empty())
            return;
        RunNext(lock);
    }
}

}  // namespace tessarin
