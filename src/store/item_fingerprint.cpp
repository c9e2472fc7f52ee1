// Item fingerprints: what a save compares to tell which items changed since the file was read.
#include <cstring>

#include "store/items.h"

namespace tessarin {

namespace {

// Mixes one more 64-bit value into a running hash (the finaliser of splitmix64 over the sum).
uint64_t Mix(uint64_t hash, uint64_t value) {
    uint64_t z = hash + 0x9E3779B97F4A7C15ull + value;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t KeyBits(const ItemKey& key) {
    uint64_t bits;
    std::memcpy(&bits, key.bytes.data(), sizeof bits);
    return bits;
}

// A fingerprint is never the mark of an item the file did not hold.
uint64_t NotNone(uint64_t print) {
    return print == CBaseItem::kNoFilePrint ? 1 : print;
}

}  // namespace

uint64_t CBaseItem::Fingerprint() const {
    uint64_t hash = Mix(static_cast<uint64_t>(Kind() + 1), m_text.Hash());
    hash = Mix(hash, uint64_t{m_maskBits} | uint64_t{m_icon} << 16 | uint64_t{m_reservedWord} << 32 |
                         uint64_t{m_modified} << 48 | uint64_t{m_deleted} << 49);
    hash = Mix(hash, uint64_t{m_recordNumber} | uint64_t{m_reservedLongs[0]} << 32);
    hash = Mix(hash, m_reservedLongs[1]);
    return NotNone(Mix(hash, KeyBits(m_key)));
}

uint64_t CTypeItem::Fingerprint() const {
    uint64_t hash = CBaseItem::Fingerprint();
    const auto bytes = m_columns.ToBytes();
    for (size_t i = 0; i < bytes.size(); i += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        hash = Mix(hash, word);
    }
    return NotNone(hash);
}

uint64_t CRecord::Fingerprint() const {
    return NotNone(Mix(CBaseItem::Fingerprint(), KeyBits(m_categoryKey)));
}

}  // namespace tessarin
