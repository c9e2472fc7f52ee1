#pragma once

// Live types or categories found by name for adding many items at once (an import). Walking the
// list per row, and inserting each new item into sorted position on its own, would make an import
// of many distinct names quadratic; here a lookup takes constant time, and the new items join the
// list together at Flush, where AddSorted called for each in turn would have put them.
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "store/item_list.h"

namespace tessarin {

class CNameIndex {
public:
    // Indexes the live items of the list; of two with the same name the first in list order wins,
    // as FindByName does.
    explicit CNameIndex(CItemList& list);
    // Flushes what is still pending.
    ~CNameIndex();
    CNameIndex(const CNameIndex&) = delete;
    CNameIndex& operator=(const CNameIndex&) = delete;

    // The first live item whose name equals `name` without regard to case.
    CBaseItem* FindByName(std::string_view name) const;
    // Gives the item a key when it has none and makes it findable; it joins the list at Flush.
    CBaseItem* AddSorted(std::unique_ptr<CBaseItem> item);
    // Puts the pending items into the list in sorted position. Names must not change before.
    void Flush();

private:
    struct CNoCaseHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const;
    };
    struct CNoCaseEqual {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    CItemList& m_list;
    // Keys view the items' own names.
    std::unordered_map<std::string_view, CBaseItem*, CNoCaseHash, CNoCaseEqual> m_byName;
    std::vector<std::unique_ptr<CBaseItem>> m_pending;
};

}  // namespace tessarin
