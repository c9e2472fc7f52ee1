#include "store/item_text.h"

#include <array>
#include <functional>
#include <string_view>

namespace tessarin {

CItemText::CItemText(const CItemText& other) : m_slots(other.m_slots) {
    if (other.m_block) {
        const size_t size = other.BlockSize();
        m_block.reset(new char[size]);
        std::memcpy(m_block.get(), other.m_block.get(), size);
    }
}

CItemText& CItemText::operator=(const CItemText& other) {
    if (this != &other) {
        CItemText copy(other);
        *this = std::move(copy);
    }
    return *this;
}

uint64_t CItemText::Hash() const {
    // The block is the end offsets and the texts back to back, so equal texts make equal blocks;
    // a block whose slots are all empty is no block at all.
    if (!m_block || TotalSize() == 0)
        return 0;
    return std::hash<std::string_view>{}(std::string_view(m_block.get(), BlockSize()));
}

std::string_view CItemText::Get(size_t slot) const {
    if (!m_block || slot >= m_slots)
        return {};
    const uint32_t begin = slot ? End(slot - 1) : 0;
    return {Chars() + begin, End(slot) - begin};
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
        m_block.reset();
        return;
    }
    std::unique_ptr<char[]> block(new char[m_slots * sizeof(uint32_t) + total]);
    char* chars = block.get() + m_slots * sizeof(uint32_t);
    uint32_t end = 0;
    for (size_t i = 0; i < m_slots; ++i) {
        if (!views[i].empty())
            std::memcpy(chars + end, views[i].data(), views[i].size());
        end += static_cast<uint32_t>(views[i].size());
        std::memcpy(block.get() + i * sizeof(uint32_t), &end, sizeof end);
    }
    m_block = std::move(block);
}

}  // namespace tessarin
