#include "base/random_source.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <unistd.h>

#include "base/secure_memory.h"
#include "base/unique_handle.h"

namespace tessarin {

namespace {

// Fills the bytes from the system's cryptographic random source. Without one there is nothing safe
// to make passwords from: the process ends rather than hand out guessable ones.
void SystemRandomBytes(void* data, size_t size) {
    auto* out = static_cast<uint8_t*>(data);
    while (size) {
        const ssize_t n = ::getrandom(out, size, 0);
        if (n > 0) {
            out += n;
            size -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == ENOSYS) {
            // A kernel before getrandom: its device gives the same bytes.
            const CFileHandle device(::open("/dev/urandom", O_RDONLY | O_CLOEXEC));
            const ssize_t read = device ? ::read(device.Get(), out, size) : -1;
            if (read > 0) {
                out += read;
                size -= static_cast<size_t>(read);
                continue;
            }
        }
        std::abort();
    }
}

// How many times this process has been copied by fork, as the copy sees it: a buffer filled before
// the last fork is its parent's too, and is never drawn from again.
std::atomic<unsigned> g_forks{0};

unsigned ForkCount() {
    static const bool watching = [] {
        ::pthread_atfork(nullptr, nullptr, [] { g_forks.fetch_add(1, std::memory_order_relaxed); });
        return true;
    }();
    (void)watching;
    return g_forks.load(std::memory_order_relaxed);
}

}  // namespace

CSystemRandom::~CSystemRandom() {
    WipeMemory(m_words.data(), sizeof m_words);
}

void CSystemRandom::Refill() {
    SystemRandomBytes(m_words.data(), sizeof m_words);
    m_next = 0;
    m_forks = ForkCount();
}

uint32_t CSystemRandom::RandomWord() {
    if (m_next == m_words.size() || m_forks != ForkCount())
        Refill();
    const uint32_t word = m_words[m_next];
    WipeMemory(&m_words[m_next], sizeof word);
    ++m_next;
    return word;
}

CRandomSource::CRandomSource() {
    SeedFromSystem();
}

void CRandomSource::SeedFromSystem() {
    std::random_device device;
    std::array<uint32_t, std::mt19937::state_size> words;
    for (auto& w : words)
        w = device();
    std::seed_seq seq(words.begin(), words.end());
    m_engine.seed(seq);
}

}  // namespace tessarin
