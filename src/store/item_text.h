#pragma once

// The texts of one item (values, name, note, custom labels) in a single allocation: a database of a
// hundred thousand records holds over a million texts, most of them short. They are the records'
// secrets in the clear, so the allocation is wiped before it is given back (and kept out of swap
// where the system allows), as the packed forms are.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tessarin {

class CItemText {
public:
    static constexpr size_t kMaxSlots = 16;

    // Not named "slots": Qt defines that word as a macro.
    explicit CItemText(size_t count)
        : m_slots(static_cast<uint8_t>(count < kMaxSlots ? count : kMaxSlots)) {}
    CItemText(const CItemText& other);
    CItemText& operator=(const CItemText& other);
    CItemText(CItemText&& other) noexcept : m_block(other.m_block), m_slots(other.m_slots) {
        other.m_block = nullptr;
    }
    CItemText& operator=(CItemText&& other) noexcept;
    ~CItemText() { Free(); }

    std::string_view Get(size_t slot) const;
    void Set(size_t slot, std::string_view text);
    // Replaces the texts of slots [first, first + count) at once.
    void SetRange(size_t first, const std::string_view* texts, size_t count);
    size_t TotalSize() const { return m_block ? End(m_slots - 1) : 0; }
    // A hash of every slot's text: equal texts give equal hashes.
    uint64_t Hash() const;

private:
    uint32_t End(size_t slot) const {
        uint32_t end;
        std::memcpy(&end, m_block + slot * sizeof(uint32_t), sizeof end);
        return end;
    }
    const char* Chars() const { return m_block + m_slots * sizeof(uint32_t); }
    size_t BlockSize() const { return m_block ? m_slots * sizeof(uint32_t) + TotalSize() : 0; }
    // Wipes and gives back the block; every slot is empty afterwards.
    void Free();

    // Layout: the end offset of each slot's text (uint32), then the texts back to back. The block's
    // size follows from it, so that it need not be kept beside. No block at all while every slot
    // is empty.
    char* m_block = nullptr;
    uint8_t m_slots;
};

}  // namespace tessarin
