#pragma once

// An owning list of items of one kind, in list order. Types and categories are kept sorted by name;
// records stay in the order they were added.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/items.h"

namespace tessarin {

class CCoreContext;
class CStringTable;

class CItemList {
public:
    using Storage = std::vector<std::unique_ptr<CBaseItem>>;

    CItemList(int kind, CCoreContext& context) : m_kind(kind), m_context(&context) {}
    CItemList(const CItemList&) = delete;
    CItemList& operator=(const CItemList&) = delete;

    int Kind() const { return m_kind; }
    CCoreContext& Context() const { return *m_context; }
    const CStringTable& Strings() const;
    size_t Size() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }
    CBaseItem* At(size_t index) const { return m_items[index].get(); }
    const Storage& Items() const { return m_items; }
    void Reserve(size_t count) { m_items.reserve(count); }

    // A new item of the list's class, with a record number from the sync platform manager.
    std::unique_ptr<CBaseItem> CreateItem() const;

    CBaseItem* Add(std::unique_ptr<CBaseItem> item);
    // Unlinks and destroys one item.
    void Remove(CBaseItem* item);
    // Unlinks one item and hands it over.
    std::unique_ptr<CBaseItem> Take(CBaseItem* item);
    // Marks the item deleted (kept for the next sync) when the manager does not delete outright and
    // the item has an identity on the handheld; otherwise removes it.
    void Delete(CBaseItem* item);
    void Clear() { m_items.clear(); }
    // Unlinks every item and hands them all over, in list order.
    Storage ReleaseAll() { return std::exchange(m_items, {}); }
    // Takes over the items, in their order, in place of what the list held.
    void ReplaceAll(Storage items) { m_items = std::move(items); }

    // Whether the item is in the list (this very object).
    bool Contains(const CBaseItem* item) const;
    CBaseItem* FindByNumber(uint32_t recordNumber) const;
    CBaseItem* FindByKey(const ItemKey& key) const;
    // The first live item whose name equals `name` without regard to case.
    CBaseItem* FindByName(std::string_view name) const;
    CBaseItem* FindByKeyOrNumber(const CBaseItem& item) const;
    // Records by record number; types and categories by record number, else by key.
    CBaseItem* Find(const CBaseItem& item) const;
    bool ContainsKey(const ItemKey& key) const { return FindByKey(key) != nullptr; }
    // The key of the n-th live item (from 0); the zero key when out of range.
    ItemKey GetKeyAt(size_t n) const;

    // The name of the item with the key, or "Unfiled".
    std::string NameOf(const ItemKey& key) const;
    // Label `index` of the type with the key, falling back to the default labels.
    std::string LabelOf(const ItemKey& key, int index) const;
    std::array<std::string, kFieldCount> LabelsOf(const ItemKey& key) const;
    uint16_t MaskOf(const ItemKey& key) const;

    // Records matching a type and a category filter (AnyKey: all; zero key: none).
    size_t CountMatching(const ItemKey& type, const ItemKey& category) const;
    CRecord* GetMatching(const ItemKey& type, const ItemKey& category, size_t n) const;

    // Gives the item a key when it has none, then inserts it before the first item whose name
    // collates at or after its own, so that among equal names the newest comes first.
    CBaseItem* AddSorted(std::unique_ptr<CBaseItem> item);
    // Puts the list in the order that re-inserting every item in turn by that rule gives.
    void Sort();

private:
    int m_kind;
    CCoreContext* m_context;
    Storage m_items;
};

// Whether a record passes a type and a category filter.
bool MatchesFilter(const CRecord& record, const ItemKey& type, const ItemKey& category);

}  // namespace tessarin
