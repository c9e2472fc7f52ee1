#include "security/blowfish.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "base/bytes.h"
#include "base/secure_memory.h"
#include "security/blowfish_tables.h"

namespace tessarin {

namespace {

static_assert(CKeySchedule::kWords == kBlowfishScheduleWords);

constexpr size_t kPWords = 18;
constexpr size_t kBlockBytes = 8;
constexpr size_t kLengthMask = 0xFFFF;  // lengths are 16-bit quantities
// Independent blocks enciphered side by side, so that their S-box lookups overlap in time instead
// of each round waiting on the previous one's loads.
constexpr size_t kLanes = 4;
constexpr std::align_val_t kAlignment{64};

// Each S-box is addressed from its own base, so every lookup is one load at a fixed displacement.
[[gnu::always_inline]] inline uint32_t F(const uint32_t* s, uint32_t x) {
    const uint32_t* s1 = s + 256;
    const uint32_t* s2 = s + 512;
    const uint32_t* s3 = s + 768;
    return ((s[x >> 24] + s1[(x >> 16) & 0xFF]) ^ s2[(x >> 8) & 0xFF]) + s3[x & 0xFF];
}

// One round for every lane: b ^= F(a). The next round's P word goes into b first, while the
// S-box loads are still in flight, which takes one step off each round's chain of dependences.
template <size_t N, size_t... kLane>
[[gnu::always_inline]] inline void Round(const uint32_t* s, uint32_t next_p, const uint32_t (&a)[N],
                                         uint32_t (&b)[N], std::index_sequence<kLane...>) {
    ((b[kLane] ^= next_p, b[kLane] ^= F(s, a[kLane])), ...);
}

// The 16 rounds, unrolled, with the halves changing roles instead of being swapped. Deciphering is
// the same walk over the P-array from its far end.
template <bool kEncipher, size_t N, size_t... kPair>
[[gnu::always_inline]] inline void Rounds(const uint32_t* words, uint32_t (&l)[N], uint32_t (&r)[N],
                                          std::index_sequence<kPair...>) {
    constexpr auto at = [](size_t i) { return kEncipher ? i : kPWords - 1 - i; };
    const uint32_t* s = words + kPWords;
    constexpr auto lanes = std::make_index_sequence<N>{};
    for (uint32_t& half : l)
        half ^= words[at(0)];
    ((Round(s, words[at(2 * kPair + 1)], l, r, lanes),
      Round(s, words[at(2 * kPair + 2)], r, l, lanes)),
     ...);
    for (size_t k = 0; k < N; ++k) {
        const uint32_t left = r[k] ^ words[at(17)];
        r[k] = l[k];
        l[k] = left;
    }
}

template <bool kEncipher, size_t N>
[[gnu::always_inline]] inline void Cipher(const uint32_t* words, uint32_t (&l)[N],
                                          uint32_t (&r)[N]) {
    Rounds<kEncipher>(words, l, r, std::make_index_sequence<8>{});
}

// All of a group is read before any of it is written, so source and destination may coincide.
template <bool kEncipher, size_t... kLane>
[[gnu::always_inline]] inline void CipherGroup(const uint32_t* words, const uint8_t* source,
                                               uint8_t* destination,
                                               std::index_sequence<kLane...>) {
    uint32_t l[] = {ReadBE32(source + kBlockBytes * kLane)...};
    uint32_t r[] = {ReadBE32(source + kBlockBytes * kLane + 4)...};
    Cipher<kEncipher>(words, l, r);
    ((WriteBE32(destination + kBlockBytes * kLane, l[kLane]),
      WriteBE32(destination + kBlockBytes * kLane + 4, r[kLane])),
     ...);
}

template <bool kEncipher>
void CipherBlocks(const uint32_t* words, const uint8_t* source, uint8_t* destination,
                  size_t length) {
    size_t blocks = (length & kLengthMask) / kBlockBytes;
    // Unrolling this loop further only spills the lanes' halves to the stack.
#pragma GCC unroll 1
    for (; blocks >= kLanes; blocks -= kLanes) {
        CipherGroup<kEncipher>(words, source, destination, std::make_index_sequence<kLanes>{});
        source += kLanes * kBlockBytes;
        destination += kLanes * kBlockBytes;
    }
    for (; blocks > 0; --blocks) {
        CipherGroup<kEncipher>(words, source, destination, std::make_index_sequence<1>{});
        source += kBlockBytes;
        destination += kBlockBytes;
    }
}

}  // namespace

CKeySchedule::CKeySchedule()
    : m_words(static_cast<uint32_t*>(::operator new(kWords * sizeof(uint32_t), kAlignment))) {
    std::memset(m_words, 0, kWords * sizeof(uint32_t));
    LockMemory(m_words, kWords * sizeof(uint32_t));
}

CKeySchedule::~CKeySchedule() {
    WipeMemory(m_words, kWords * sizeof(uint32_t));
    UnlockMemory(m_words, kWords * sizeof(uint32_t));
    ::operator delete(m_words, kAlignment);
}

void ExpandKey(CKeySchedule& schedule, const uint8_t* key, size_t length) {
    uint32_t* words = schedule.Words();
    std::memcpy(words, kBlowfishInitialSchedule, sizeof kBlowfishInitialSchedule);
    // An empty key repeats the zero byte, which leaves the P-array as it is; a missing key is
    // taken as empty rather than read.
    if (key && length) {
        size_t next = 0;
        for (size_t i = 0; i < kPWords; ++i) {
            uint32_t material = 0;
            for (int byte = 0; byte < 4; ++byte) {
                material = material << 8 | key[next];
                next = next + 1 == length ? 0 : next + 1;
            }
            words[i] ^= material;
        }
    }
    uint32_t l[1] = {0}, r[1] = {0};
    for (size_t i = 0; i < CKeySchedule::kWords; i += 2) {
        Cipher<true>(words, l, r);
        words[i] = l[0];
        words[i + 1] = r[0];
    }
}

void EncipherBlock(const CKeySchedule& schedule, uint32_t& left, uint32_t& right) {
    uint32_t l[1] = {left}, r[1] = {right};
    Cipher<true>(schedule.Words(), l, r);
    left = l[0];
    right = r[0];
}

void DecipherBlock(const CKeySchedule& schedule, uint32_t& left, uint32_t& right) {
    uint32_t l[1] = {left}, r[1] = {right};
    Cipher<false>(schedule.Words(), l, r);
    left = l[0];
    right = r[0];
}

void CipherInPlace(const CKeySchedule& schedule, uint8_t* buffer, size_t length, bool encipher) {
    if (encipher)
        CipherBlocks<true>(schedule.Words(), buffer, buffer, length);
    else
        CipherBlocks<false>(schedule.Words(), buffer, buffer, length);
}

void CipherWhole(const CKeySchedule& schedule, uint8_t* buffer, size_t length, bool encipher) {
    // The largest whole number of blocks one buffer operation takes.
    constexpr size_t kPiece = 65528;
    length &= ~static_cast<size_t>(7);
    for (size_t at = 0; at < length; at += kPiece)
        CipherInPlace(schedule, buffer + at, std::min(kPiece, length - at), encipher);
}

void EncipherCopy(const CKeySchedule& schedule, const uint8_t* source, uint8_t* destination,
                  size_t length) {
    CipherBlocks<true>(schedule.Words(), source, destination, length);
}

void DecipherCopy(const CKeySchedule& schedule, const uint8_t* source, uint8_t* destination,
                  size_t length) {
    CipherBlocks<false>(schedule.Words(), source, destination, length);
}

void CipherInPlaceEven(const CKeySchedule& schedule, uint8_t* buffer, size_t length, size_t offset,
                       bool encipher) {
    length &= kLengthMask;
    if (offset % 2 != 0) {
        // An empty buffer has no first byte to skip; stepping the length below zero would make it
        // 65535 and run past the buffer.
        if (length == 0)
            return;
        ++buffer;
        --length;
    }
    CipherInPlace(schedule, buffer, length, encipher);
}

}  // namespace tessarin
