#include "base/secure_memory.h"

#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#include <unistd.h>
#define TESSARIN_HAVE_MLOCK 1
#endif

namespace tessarin {

void WipeMemory(void* data, size_t size) {
    if (!data || !size)
        return;
#if defined(__GLIBC__)
    // As fast as memset, and never dropped by the compiler: every freed record text goes through
    // it.
    ::explicit_bzero(data, size);
#else
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (size--)
        *p++ = 0;
#endif
}

#ifdef TESSARIN_HAVE_MLOCK

namespace {

// The system locks whole pages and does not count: a page that holds two secrets must stay locked
// until both are gone. This is bookkeeping of the operating system's state, not of the program's.
class CPageLocks {
public:
    void Lock(const void* data, size_t size) { Change(data, size, +1); }
    void Unlock(const void* data, size_t size) { Change(data, size, -1); }

private:
    void Change(const void* data, size_t size, int delta) {
        static const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        const uintptr_t first = reinterpret_cast<uintptr_t>(data) & ~(page - 1);
        const uintptr_t last = (reinterpret_cast<uintptr_t>(data) + size - 1) & ~(page - 1);
        std::lock_guard<std::mutex> hold(m_mutex);
        for (uintptr_t p = first; p <= last; p += page) {
            int& count = m_counts[p];
            if (delta > 0 && count++ == 0)
                (void)::mlock(reinterpret_cast<void*>(p), page);
            if (delta < 0 && --count <= 0) {
                (void)::munlock(reinterpret_cast<void*>(p), page);
                m_counts.erase(p);
            }
        }
    }

    std::mutex m_mutex;
    // Hashed: every item's texts and packed form pass through here as a database loads.
    std::unordered_map<uintptr_t, int> m_counts;
};

CPageLocks& PageLocks() {
    static CPageLocks* locks = new CPageLocks;  // never destroyed: secrets may outlive statics
    return *locks;
}

}  // namespace

void LockMemory(const void* data, size_t size) {
    if (data && size)
        PageLocks().Lock(data, size);
}

void UnlockMemory(const void* data, size_t size) {
    if (data && size)
        PageLocks().Unlock(data, size);
}

#else

void LockMemory(const void*, size_t) {}
void UnlockMemory(const void*, size_t) {}

#endif

}  // namespace tessarin
