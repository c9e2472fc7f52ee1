#pragma once

// The entries of the type and category choosers above the list, and the keys they stand for:
// "All Types" (AnyKey), the live items by name, "Unfiled" (the zero key) and "Edit Types..."
// (EditListKey); the same for categories.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/collation.h"
#include "store/item_list.h"

namespace tessarin {

struct CFilterEntry {
    std::string text;
    ItemKey key;
    friend bool operator==(const CFilterEntry&, const CFilterEntry&) = default;
};

// The chooser's entries for the types (kind 1) or the categories (kind 2).
std::vector<CFilterEntry> FilterEntries(const CItemList& list, const ICollation& collation);

// Puts an item's entry (an item added, or renamed, by another program) at its place by name:
// before the first item entry whose name collates after it without case, else just before
// "Unfiled". Returns its index.
size_t InsertFilterEntry(std::vector<CFilterEntry>& entries, CFilterEntry entry,
                         const ICollation& collation);

// The key the entry at `index` stands for: AnyKey first, the zero key and EditListKey last, the
// item's key between.
ItemKey FilterEntryKey(const std::vector<CFilterEntry>& entries, size_t index);

// The entry that shows a filter key; none (the selection stays) when no entry has it.
std::optional<size_t> FilterEntryIndex(const std::vector<CFilterEntry>& entries,
                                       const ItemKey& key);

// A filter read from the preferences: kept when some item of the list (deleted ones too) has the
// key, else AnyKey. Unfiled is therefore not kept over a restart.
ItemKey CheckedFilter(const CItemList& list, const ItemKey& saved);

// The type or category key a new record gets from a filter: the filter's, or the zero key when it
// stands for all.
inline ItemKey NewRecordKey(const ItemKey& filter) {
    return filter == AnyKey || filter == EditListKey ? ZeroKey : filter;
}

}  // namespace tessarin
