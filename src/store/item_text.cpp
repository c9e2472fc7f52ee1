#include "store/item_text.h"

#include <array>
#include <functional>
#include <string_view>

#include "base/secure_memory.h"

namespace tessarin {

namespace {

char* Allocate(size_t size) {
    return CWipingAllocator<char>().allocate(size);
}

}  // namespace

CItemText::CItemText(const CItemText& other) : m_slots(other.m_slots), m_width(other.m_width) {
    if (other.m_block) {
        const size_t size = other.BlockSize();
        m_block = Allocate(size);
        std::memcpy(m_block, other.m_block, size);
    }
}

CItemText& CItemText::operator=(const CItemText& other) {
    if (this != &other) {
        CItemText copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CItemText& CItemText::operator=(CItemText&& other) noexcept {
    if (this != &other) {
        Free();
        m_block = other.m_block;
        m_slots = other.m_slots;
        m_width = other.m_width;
        other.m_block = nullptr;
    }
    return *this;
}

void CItemText::Free() {
    if (m_block)
        CWipingAllocator<char>().deallocate(m_block, BlockSize());
    m_block = nullptr;
}

uint64_t CItemText::Hash() const {
    // The block is the end offsets and the texts back to back, and the offsets' width follows from
    // the texts, so equal texts make equal blocks; a block whose slots are all empty is no block
    // at all.
    if (!m_block || TotalSize() == 0)
        return 0;
    return std::hash<std::string_view>{}(std::string_view(m_block, BlockSize()));
}

bool CItemText::InOneSlot(size_t at, size_t length) const {
    if (!m_block)
        return length == 0 && at == 0;
    for (size_t slot = 0; slot < m_slots; ++slot) {
        const size_t end = End(slot);
        if (at < end || (length == 0 && at == end))
            return at + length <= end;
    }
    return false;
}

void CItemText::Set(size_t slot, std::string_view text) {
    SetRange(slot, &text, 1);
}

void CItemText::SetRange(size_t first, const std::string_view* texts, size_t count) {
    if (first >= m_slots)
        return;
    if (count > m_slots - first)
        count = m_slots - first;
    // Gather the new texts of every slot (the replaced ones from `texts`, the others as they are)
    // before building the new block, since `texts` may point into the current one.
    std::array<std::string_view, kMaxSlots> views;
    size_t total = 0;
    bool empty = true;
    for (size_t i = 0; i < m_slots; ++i) {
        views[i] = (i >= first && i < first + count) ? texts[i - first] : Get(i);
        total += views[i].size();
        empty = empty && views[i].empty();
    }
    if (empty) {
        Free();
        return;
    }
    const uint8_t width = WidthFor(total);
    char* block = Allocate(m_slots * width + total);
    char* chars = block + m_slots * width;
    uint32_t end = 0;
    for (size_t i = 0; i < m_slots; ++i) {
        if (!views[i].empty())
            std::memcpy(chars + end, views[i].data(), views[i].size());
        end += static_cast<uint32_t>(views[i].size());
        char* at = block + i * width;
        if (width == 1) {
            *at = static_cast<char>(end);
        } else if (width == 2) {
            const auto end16 = static_cast<uint16_t>(end);
            std::memcpy(at, &end16, sizeof end16);
        } else {
            std::memcpy(at, &end, sizeof end);
        }
    }
    Free();
    m_block = block;
    m_width = width;
}

}  // namespace tessarin
