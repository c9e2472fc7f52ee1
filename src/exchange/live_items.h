#pragma once

// The live types or categories of a list by key, so that writing many records does not walk the
// list for each. Of two live items with one key the first in list order counts.
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "store/item_list.h"

namespace tessarin {

class CLiveItemsByKey {
public:
    explicit CLiveItemsByKey(const CItemList& list) {
        m_items.reserve(list.Size());
        for (const auto& item : list.Items())
            if (!item->m_deleted)
                m_items.emplace(Number(item->m_key), item.get());
    }

    const CBaseItem* Find(const ItemKey& key) const {
        const auto it = m_items.find(Number(key));
        return it == m_items.end() ? nullptr : it->second;
    }

private:
    static uint64_t Number(const ItemKey& key) {
        uint64_t number;
        std::memcpy(&number, key.bytes.data(), sizeof number);
        return number;
    }

    std::unordered_map<uint64_t, const CBaseItem*> m_items;
};

}  // namespace tessarin
