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
    CItemText(CItemText&& other) noexcept
        : m_block(other.m_block), m_slots(other.m_slots), m_width(other.m_width) {
        other.m_block = nullptr;
    }
    CItemText& operator=(CItemText&& other) noexcept;
    ~CItemText() { Free(); }

    std::string_view Get(size_t slot) const {
        if (!m_block || slot >= m_slots)
            return {};
        const size_t begin = slot ? End(slot - 1) : 0;
        return {Chars() + begin, End(slot) - begin};
    }
    void Set(size_t slot, std::string_view text);
    // Replaces the texts of slots [first, first + count) at once.
    void SetRange(size_t first, const std::string_view* texts, size_t count);
    size_t TotalSize() const { return m_block ? End(m_slots - 1) : 0; }
    // A hash of every slot's text: equal texts give equal hashes.
    uint64_t Hash() const;

    // The texts of slots [0, count) back to back, to be looked through in one pass; a place found
    // in it belongs to one of them when InOneSlot says so.
    std::string_view Leading(size_t count) const {
        if (!m_block || count == 0)
            return {};
        return {Chars(), End((count < m_slots ? count : m_slots) - 1)};
    }
    // Whether [at, at + length) of Leading() lies within a single slot's text.
    bool InOneSlot(size_t at, size_t length) const;
    // Asks for the block in advance, for going through many items' texts one after another.
    void Prefetch() const { __builtin_prefetch(m_block); }

    // Bytes of each end offset: the fewest that hold the total size.
    static constexpr uint8_t WidthFor(size_t total) {
        return total <= 0xFF ? 1 : total <= 0xFFFF ? 2 : 4;
    }

private:
    size_t End(size_t slot) const {
        const char* at = m_block + slot * m_width;
        if (m_width == 1)
            return static_cast<uint8_t>(*at);
        if (m_width == 2) {
            uint16_t end;
            std::memcpy(&end, at, sizeof end);
            return end;
        }
        uint32_t end;
        std::memcpy(&end, at, sizeof end);
        return end;
    }
    const char* Chars() const { return m_block + m_slots * m_width; }
    size_t BlockSize() const { return m_block ? m_slots * m_width + TotalSize() : 0; }
    // Wipes and gives back the block; every slot is empty afterwards.
    void Free();

    // Layout: the end offset of each slot's text, in m_width bytes each (one while the texts
    // together fit 255 bytes, as most records' do, else two, else four), then the texts back to
    // back. The block's size follows from it, so that it need not be kept beside. No block at all
    // while every slot is empty.
    char* m_block = nullptr;
    uint8_t m_slots;
    uint8_t m_width = 1;
};

}  // namespace tessarin
