#pragma once

// Random numbers. Two sources draw 32-bit words behind one interface:
// - the system's cryptographic random source (getrandom), for what must not be guessed from what
//   was seen before: generated passwords;
// - the published Mersenne Twister (MT19937), whose numbers the file formats and the tests need
//   reproducibly: item keys, fixed-seed runs. Its whole state is seeded from the system's random
//   source, so nothing drawn from it can be guessed from a clock reading; but its state can be
//   recovered from enough of its outputs, so it never makes passwords.
#include <array>
#include <cstdint>
#include <random>

namespace tessarin {

// A number from 0 to n - 1 (n at least 1) out of 32-bit draws, each result equally likely: a draw
// modulo n, except that draws below 2^32 mod n are thrown away, since keeping them would favour the
// small results. For n below 65536 fewer than 1 draw in 65,000 is thrown away, so the results are
// those of a plain modulo for almost every draw.
template <typename Draw>
uint32_t UniformBelow(uint32_t n, Draw&& draw) {
    const uint32_t rejected = (0u - n) % n;  // 2^32 mod n, in 32 bits
    uint32_t word;
    do
        word = draw();
    while (word < rejected);
    return word % n;
}

class IRandomWords {
public:
    virtual ~IRandomWords() = default;
    // One uniformly distributed 32-bit word.
    virtual uint32_t RandomWord() = 0;
    // A number from 0 to n - 1 (n from 1 to 65535), each equally likely; see UniformBelow.
    uint32_t Random(uint32_t n) {
        return UniformBelow(n, [this] { return RandomWord(); });
    }
};

// The system's cryptographic random source. Words come from a small buffer refilled with
// getrandom; each is wiped from the buffer once drawn, and a process made by fork never draws what
// its parent had buffered.
class CSystemRandom final : public IRandomWords {
public:
    CSystemRandom() = default;
    ~CSystemRandom() override;
    CSystemRandom(const CSystemRandom&) = delete;
    CSystemRandom& operator=(const CSystemRandom&) = delete;
    uint32_t RandomWord() override;

private:
    void Refill();

    std::array<uint32_t, 1024> m_words{};
    size_t m_next = 1024;  // empty
    unsigned m_forks = 0;  // the process's fork count when the buffer was filled
};

class CRandomSource final : public IRandomWords {
public:
    CRandomSource();  // seeded from the system's random device
    explicit CRandomSource(uint32_t seed) : m_engine(seed) {}

    // The published 32-bit seeding: word 0 is the seed, each next word derived from the last.
    void SeedRandom(uint32_t seed) { m_engine.seed(seed); }
    void SeedFromSystem();
    // One tempered 32-bit draw.
    uint32_t RandomWord() override { return static_cast<uint32_t>(m_engine()); }

private:
    std::mt19937 m_engine;
};

// The pseudo-random bytes that pad packed forms: a linear congruential generator whose state starts
// at 1 and is never seeded (readers ignore these bytes; they only vary the ciphertext).
class CFillerSource {
public:
    uint8_t NextByte() {
        m_state = m_state * 214013u + 2531011u;
        const uint32_t value = (m_state >> 16) & 0x7FFF;
        return static_cast<uint8_t>(value >> 4);
    }

private:
    uint32_t m_state = 1;
};

}  // namespace tessarin
