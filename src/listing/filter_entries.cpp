#include "listing/filter_entries.h"

#include <algorithm>

#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

namespace {

// Entries before and after the items: "All ...", then "Unfiled" and "Edit ...".
constexpr size_t kLeading = 1;
constexpr size_t kTrailing = 2;

}  // namespace

std::vector<CFilterEntry> FilterEntries(const CItemList& list, const ICollation& collation) {
    const CStringTable& strings = list.Strings();
    const bool types = list.Kind() == kKindType;
    std::vector<CFilterEntry> entries = {
        {strings.Get(types ? str::kAllTypes : str::kAllCategories), AnyKey},
        {strings.Get(str::kUnfiled), ZeroKey},
        {strings.Get(types ? str::kEditTypesEntry : str::kEditCategoriesEntry), EditListKey},
    };
    std::vector<CFilterEntry> items;
    for (const auto& item : list.Items())
        if (!item->m_deleted)
            items.push_back({std::string(item->GetName()), item->m_key});
    // Each goes after the equal names before it, so a stable sort gives the inserted order.
    std::stable_sort(items.begin(), items.end(), [&](const CFilterEntry& a, const CFilterEntry& b) {
        return collation.Compare(a.text, b.text, false) < 0;
    });
    entries.insert(entries.begin() + kLeading, items.begin(), items.end());
    return entries;
}

size_t InsertFilterEntry(std::vector<CFilterEntry>& entries, CFilterEntry entry,
                         const ICollation& collation) {
    const auto end = entries.end() - std::min(entries.size(), kTrailing);
    auto at = entries.begin() + std::min(entries.size(), kLeading);
    while (at < end && collation.Compare(at->text, entry.text, false) <= 0)
        ++at;
    const auto inserted = entries.insert(at, std::move(entry));
    return static_cast<size_t>(inserted - entries.begin());
}

ItemKey FilterEntryKey(const std::vector<CFilterEntry>& entries, size_t index) {
    // The entry carries its item's key: looking the item up by the entry's text would take the
    // first of two items whose names differ only in case for both.
    if (index >= entries.size())
        return AnyKey;
    return entries[index].key;
}

std::optional<size_t> FilterEntryIndex(const std::vector<CFilterEntry>& entries,
                                       const ItemKey& key) {
    if (entries.size() < kLeading + kTrailing)
        return std::nullopt;
    if (key == AnyKey)
        return 0;
    if (key.IsZero())
        return entries.size() - kTrailing;
    for (size_t i = kLeading; i + kTrailing < entries.size(); ++i)
        if (entries[i].key == key)
            return i;
    return std::nullopt;
}

ItemKey CheckedFilter(const CItemList& list, const ItemKey& saved) {
    return list.ContainsKey(saved) ? saved : AnyKey;
}

}  // namespace tessarin
