#pragma once

// Blowfish (64-bit blocks, 16 rounds) in electronic code book form: each 8-byte block stands alone.
// The two halves of a block are read and written big-endian whatever the machine's byte order.
// Every buffer operation takes its length modulo 65536 and processes the whole 8-byte blocks it
// holds; bytes after the last whole block are neither read nor changed.
#include <cstddef>
#include <cstdint>

namespace tessarin {

// The expanded key: the 18-word P-array, then the four 256-word S-boxes. Its memory is kept out of
// swap where the system allows and wiped when the schedule is destroyed.
class CKeySchedule {
public:
    static constexpr size_t kWords = 18 + 4 * 256;  // 1042 words, 4168 bytes

    CKeySchedule();
    ~CKeySchedule();
    CKeySchedule(const CKeySchedule&) = delete;
    CKeySchedule& operator=(const CKeySchedule&) = delete;

    uint32_t* Words() { return m_words; }
    const uint32_t* Words() const { return m_words; }
    const uint32_t* P() const { return m_words; }
    const uint32_t* S(int box) const { return m_words + 18 + 256 * box; }

private:
    uint32_t* m_words;
};

// Fills the schedule from the key bytes (the published key schedule). Key bytes are taken in a
// cycle; a key of length 0 leaves the initial P-array as it is before the encipherment pass.
void ExpandKey(CKeySchedule& schedule, const uint8_t* key, size_t length);

void EncipherBlock(const CKeySchedule& schedule, uint32_t& left, uint32_t& right);
void DecipherBlock(const CKeySchedule& schedule, uint32_t& left, uint32_t& right);

void CipherInPlace(const CKeySchedule& schedule, uint8_t* buffer, size_t length, bool encipher);
// As CipherInPlace, for a buffer of any length: its whole 8-byte blocks, in pieces the buffer
// operation takes.
void CipherWhole(const CKeySchedule& schedule, uint8_t* buffer, size_t length, bool encipher);
void EncipherCopy(const CKeySchedule& schedule, const uint8_t* source, uint8_t* destination,
                  size_t length);
void DecipherCopy(const CKeySchedule& schedule, const uint8_t* source, uint8_t* destination,
                  size_t length);

// As CipherInPlace, for a buffer that starts `offset` bytes into the packed form that holds it:
// when that offset is odd, the first byte is skipped and the length reduced by one before the
// blocks are counted.
void CipherInPlaceEven(const CKeySchedule& schedule, uint8_t* buffer, size_t length, size_t offset,
                       bool encipher);

}  // namespace tessarin
