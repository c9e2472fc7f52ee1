#pragma once

// The process-wide random source: the published Mersenne Twister (MT19937). Its whole state is
// seeded from the system's cryptographic random source, so nothing drawn from it can be guessed
// from a clock reading; a fixed seed can still be set for tests.
#include <cstdint>
#include <random>

namespace tessarin {

class CRandomSource {
public:
    CRandomSource();  // seeded from the system's random device
    explicit CRandomSource(uint32_t seed) : m_engine(seed) {}

    void Seed(uint32_t seed) { m_engine.seed(seed); }
    void SeedFromSystem();
    uint32_t Next() { return static_cast<uint32_t>(m_engine()); }
    std::mt19937& Engine() { return m_engine; }

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
