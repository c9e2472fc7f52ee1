#include "base/secure_memory.h"

#include <cstring>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#define TESSARIN_HAVE_MLOCK 1
#endif

namespace tessarin {

void WipeMemory(void* data, size_t size) {
    if (!data || !size)
        return;
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (size--)
        *p++ = 0;
}

void LockMemory([[maybe_unused]] const void* data, [[maybe_unused]] size_t size) {
#ifdef TESSARIN_HAVE_MLOCK
    if (data && size)
        (void)mlock(data, size);
#endif
}

void UnlockMemory([[maybe_unused]] const void* data, [[maybe_unused]] size_t size) {
#ifdef TESSARIN_HAVE_MLOCK
    if (data && size)
        (void)munlock(data, size);
#endif
}

}  // namespace tessarin
