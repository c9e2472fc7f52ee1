#pragma once

// The texts of one item (values, name, note, custom labels) in a single allocation: a database of a
// hundred thousand records holds over a million texts, most of them short.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
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
    CItemText(CItemText&&) noexcept = default;
    CItemText& operator=(CItemText&&) noexcept = default;

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
        std::memcpy(&end, m_block.get() + slot * sizeof(uint32_t), sizeof end);
        return end;
    }
    const char* Chars() const { return m_block.get() + m_slots * sizeof(uint32_t); }
    size_t BlockSize() const { return m_block ? m_slots * sizeof(uint32_t) + TotalSize() : 0; }

    // Layout: the end offset of each slot's text (uint32), then the texts back to back.
    // No block at all while every slot is empty.
    std::unique_ptr<char[]> m_block;
    uint8_t m_slots;
};

}  // namespace tessarin
