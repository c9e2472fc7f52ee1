#include "store/item_list.h"

#include <algorithm>

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

const CStringTable& CItemList::Strings() const {
    return m_context->Strings();
}

std::unique_ptr<CBaseItem> CItemList::CreateItem() const {
    std::unique_ptr<CBaseItem> item = NewItemOfKind(m_kind);
    item->m_recordNumber = m_context->NewRecordNumber();
    return item;
}

CBaseItem* CItemList::Add(std::unique_ptr<CBaseItem> item) {
    m_items.push_back(std::move(item));
    return m_items.back().get();
}

std::unique_ptr<CBaseItem> CItemList::Take(CBaseItem* item) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [item](const auto& p) { return p.get() == item; });
    if (it == m_items.end())
        return nullptr;
    std::unique_ptr<CBaseItem> taken = std::move(*it);
    m_items.erase(it);
    return taken;
}

void CItemList::Remove(CBaseItem* item) {
    Take(item);
}

void CItemList::Delete(CBaseItem* item) {
    if (!item)
        return;
    if (!m_context->m_hardDelete && item->HasIdentity()) {
        item->m_deleted = true;
        item->m_modified = true;
    } else {
        Remove(item);
    }
}

bool CItemList::Contains(const CBaseItem* item) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [item](const auto& held) { return held.get() == item; });
}

CBaseItem* CItemList::FindByNumber(uint32_t recordNumber) const {
    if (recordNumber == 0)
        return nullptr;
    for (const auto& item : m_items)
        if (item->m_recordNumber == recordNumber)
            return item.get();
    return nullptr;
}

CBaseItem* CItemList::FindByKey(const ItemKey& key) const {
    for (const auto& item : m_items)
        if (item->m_key == key)
            return item.get();
    return nullptr;
}

CBaseItem* CItemList::FindByName(std::string_view name) const {
    for (const auto& item : m_items)
        if (!item->m_deleted && EqualsNoCase(item->GetName(), name))
            return item.get();
    return nullptr;
}

CBaseItem* CItemList::FindByKeyOrNumber(const CBaseItem& item) const {
    if (CBaseItem* found = FindByNumber(item.m_recordNumber))
        return found;
    return FindByKey(item.m_key);
}

CBaseItem* CItemList::Find(const CBaseItem& item) const {
    return m_kind == kKindRecord ? FindByNumber(item.m_recordNumber) : FindByKeyOrNumber(item);
}

ItemKey CItemList::GetKeyAt(size_t n) const {
    for (const auto& item : m_items)
        if (!item->m_deleted && n-- == 0)
            return item->m_key;
    return ZeroKey;
}

std::string CItemList::NameOf(const ItemKey& key) const {
    if (const CBaseItem* item = FindByKey(key))
        return std::string(item->GetName());
    return m_context->Strings().Get(str::kUnfiled);
}

std::string CItemList::LabelOf(const ItemKey& key, int index) const {
    const int position = index >= 0 && index < kFieldCount ? index : kFieldCount - 1;
    const std::string& fallback = m_context->Strings().Get(str::kFieldLabel1 + position);
    if (const CBaseItem* type = FindByKey(key)) {
        const std::string_view label = type->GetValue(position);
        return label.empty() ? fallback : std::string(label);
    }
    return fallback;
}

std::array<std::string, kFieldCount> CItemList::LabelsOf(const ItemKey& key) const {
    std::array<std::string, kFieldCount> labels;
    for (int i = 0; i < kFieldCount; ++i)
        labels[i] = LabelOf(key, i);
    return labels;
}

uint16_t CItemList::MaskOf(const ItemKey& key) const {
    const CBaseItem* type = FindByKey(key);
    return type ? type->m_maskBits : 0;
}

bool MatchesFilter(const CRecord& record, const ItemKey& type, const ItemKey& category) {
    if (record.m_deleted)
        return false;
    return (type == AnyKey || type == record.m_key) &&
           (category == AnyKey || category == record.m_categoryKey);
}

size_t CItemList::CountMatching(const ItemKey& type, const ItemKey& category) const {
    size_t count = 0;
    if (m_kind == kKindRecord)
        for (const auto& item : m_items)
            count += MatchesFilter(static_cast<const CRecord&>(*item), type, category);
    return count;
}

CRecord* CItemList::GetMatching(const ItemKey& type, const ItemKey& category, size_t n) const {
    if (m_kind != kKindRecord)
        return nullptr;
    for (const auto& item : m_items) {
        auto& record = static_cast<CRecord&>(*item);
        if (MatchesFilter(record, type, category) && n-- == 0)
            return &record;
    }
    return nullptr;
}

CBaseItem* CItemList::AddSorted(std::unique_ptr<CBaseItem> item) {
    if (item->m_key.IsZero())
        item->m_key = m_context->NewKey();
    const ICollation& collation = m_context->Collation();
    const std::string_view name = item->GetName();
    auto at = std::find_if(m_items.begin(), m_items.end(), [&](const auto& existing) {
        return collation.Compare(existing->GetName(), name, true) >= 0;
    });
    return m_items.insert(at, std::move(item))->get();
}

void CItemList::Sort() {
    // Inserting each item in turn before the first one that collates at or after it leaves equal
    // names in reverse order: the same as a stable sort of the reversed list.
    const ICollation& collation = m_context->Collation();
    std::reverse(m_items.begin(), m_items.end());
    std::stable_sort(m_items.begin(), m_items.end(), [&](const auto& a, const auto& b) {
        return collation.Compare(a->GetName(), b->GetName(), true) < 0;
    });
}

}  // namespace tessarin
