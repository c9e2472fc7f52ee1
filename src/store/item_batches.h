#pragma once

// Work on a long list spread over a crew of threads in batches: the calling thread fills batches in
// list order, hands each to the crew and takes them back in the same order, so whatever must happen
// in order (reading and writing a file, drawing filler) stays on it.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <functional>
#include <vector>

#include "base/secure_memory.h"
#include "base/work_crew.h"

namespace tessarin {

// Packed forms of a batch of items back to back, in memory that is locked and wiped as
// CPackedBytes is. It grows without filling what it adds, since forms are written over it at once.
class CBatchBytes {
public:
    CBatchBytes() = default;
    CBatchBytes(const CBatchBytes&) = delete;
    CBatchBytes& operator=(const CBatchBytes&) = delete;
    ~CBatchBytes() { Free(); }

    uint8_t* At(size_t offset) { return m_data + offset; }
    size_t Size() const { return m_size; }
    // The content stays until it is written over or freed (wiped), as in a reused CPackedBytes.
    void Clear() { m_size = 0; }
    // `n` more bytes at the end; their offset is the size before.
    uint8_t* Extend(size_t n) {
        if (n > m_capacity - m_size) {
            const size_t capacity = std::max({2 * m_capacity, m_size + n, size_t(16) << 10});
            uint8_t* data = Allocator().allocate(capacity);
            if (m_size)
                std::memcpy(data, m_data, m_size);
            Free();
            m_data = data;
            m_capacity = capacity;
        }
        uint8_t* at = m_data + m_size;
        m_size += n;
        return at;
    }

private:
    using Allocator = CWipingAllocator<uint8_t>;
    void Free() {
        if (m_data)
            Allocator().deallocate(m_data, m_capacity);
        m_data = nullptr;
        m_capacity = 0;
    }
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// What every batch has: whether its work is done, and how it failed.
struct CBatchState {
    std::atomic<bool> done{true};
    // The first failure of the batch's work, and the index of the item it failed on.
    std::exception_ptr failure;
    size_t failedAt = 0;

    void Fail(size_t index) {
        failure = std::current_exception();
        failedAt = index;
    }
};

// A ring of batches handed to a crew. Whichever way the ring is left, the crew's work on the
// batches ends before they go.
template <typename Batch>
class CBatchRing {
public:
    // Four slots for each of the crew's threads (its helpers and the caller), so that the helpers
    // go on while the caller reads or writes (with two, a million-record load took 1.04 times as
    // long).
    explicit CBatchRing(CWorkCrew& crew) : m_slots(4 * (crew.Helpers() + 1)), m_crew(crew) {}
    ~CBatchRing() { m_crew.Wait(); }

    // The batch to fill next; none while it is still handed out.
    Batch* Free() { return m_pending == m_slots.size() ? nullptr : &Slot(m_pending); }
    // Hands the batch that Free() gave to the crew. What `work` lets escape counts as a failure
    // at the batch's first item.
    void HandOut(std::function<void(Batch&)> work) {
        Batch& batch = Slot(m_pending++);
        batch.done.store(false, std::memory_order_relaxed);
        m_crew.Post([&batch, work = std::move(work)] {
            try {
                work(batch);
            } catch (...) {
                batch.Fail(0);
            }
            batch.done.store(true, std::memory_order_release);
        });
    }
    enum class Wait { None, ForOldest, ForAll };
    // Hands the batches whose work is done to take(batch), oldest first, and frees them; stops at
    // the first one not done. Waiting for the oldest one makes room for the next batch while the
    // crew goes on with the others; waiting for all empties the ring. While it waits, this thread
    // works on batches too. When `take` throws, the ring is left as it is.
    template <typename Take>
    void TakeBack(Wait wait, Take&& take) {
        while (m_pending > 0) {
            Batch& batch = m_slots[m_oldest];
            if (wait != Wait::None)
                m_crew.RunUntil([&batch] { return batch.done.load(std::memory_order_acquire); });
            if (!batch.done.load(std::memory_order_acquire))
                return;
            take(batch);
            m_oldest = (m_oldest + 1) % m_slots.size();
            --m_pending;
            if (wait == Wait::ForOldest)
                wait = Wait::None;
        }
    }

private:
    Batch& Slot(size_t pending) { return m_slots[(m_oldest + pending) % m_slots.size()]; }

    std::vector<Batch> m_slots;
    size_t m_oldest = 0;
    size_t m_pending = 0;  // batches handed out, from the oldest on
    CWorkCrew& m_crew;
};

}  // namespace tessarin
