#include "platform/process_guard.h"

#include <atomic>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tessarin {

namespace {

// Set once, before any thread is started; -1 until then.
std::atomic<int> g_startUmask{-1};

}  // namespace

void GuardProcess() {
    (void)::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit none{0, 0};
    (void)::setrlimit(RLIMIT_CORE, &none);
    const mode_t previous = ::umask(077);
    int unset = -1;
    g_startUmask.compare_exchange_strong(unset, static_cast<int>(previous));
}

mode_t StartUmask() {
    const int kept = g_startUmask.load();
    if (kept >= 0)
        return static_cast<mode_t>(kept);
    // Not guarded: the mask in force is the user's (reading it means setting it back at once).
    const mode_t current = ::umask(077);
    ::umask(current);
    return current;
}

CStartUmask::CStartUmask() : m_kept(::umask(StartUmask())) {}

CStartUmask::~CStartUmask() {
    ::umask(m_kept);
}

}  // namespace tessarin
