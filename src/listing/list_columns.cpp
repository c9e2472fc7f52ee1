#include "listing/list_columns.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "resources/string_ids.h"
#include "resources/string_table.h"

namespace tessarin {

namespace {

uint64_t KeyBits(const ItemKey& key) {
    uint64_t bits;
    std::memcpy(&bits, key.bytes.data(), sizeof bits);
    return bits;
}

}  // namespace

std::string_view ShownName(const CItemList& list, const ItemKey& key) {
    // FindByKey, with the keys compared as numbers: every painted cell of two columns asks.
    const uint64_t wanted = KeyBits(key);
    for (const auto& item : list.Items())
        if (KeyBits(item->m_key) == wanted)
            return item->GetName();
    return list.Strings().Get(str::kUnfiled);
}

CShownNames::CShownNames(const CItemList& list) {
    // Of items sharing a key, the first is the one a lookup finds. Sorted by key once, so that a
    // list with a type or category for every record is found in n log n, not n squared.
    std::vector<std::pair<uint64_t, const CBaseItem*>> byKey;
    byKey.reserve(list.Items().size());
    for (const auto& item : list.Items())
        byKey.emplace_back(KeyBits(item->m_key), item.get());
    std::stable_sort(byKey.begin(), byKey.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < byKey.size(); ++i) {
        if (i > 0 && byKey[i].first == byKey[i - 1].first)
            continue;
        m_keys.push_back(byKey[i].first);
        m_names.push_back(byKey[i].second->GetName());
    }
    m_names.push_back(list.Strings().Get(str::kUnfiled));
}

uint32_t CShownNames::Find(const ItemKey& key) const {
    const uint64_t wanted = KeyBits(key);
    const auto found = std::lower_bound(m_keys.begin(), m_keys.end(), wanted);
    if (found == m_keys.end() || *found != wanted)
        return static_cast<uint32_t>(m_keys.size());
    return static_cast<uint32_t>(found - m_keys.begin());
}

uint32_t CShownNames::IndexOf(const ItemKey& key) const {
    if (m_last < m_keys.size() && m_keys[m_last] == KeyBits(key))
        return static_cast<uint32_t>(m_last);
    m_last = Find(key);
    return static_cast<uint32_t>(m_last);
}

std::string_view CellText(const CDatabaseObj& database, const CRecord& record, int column,
                          bool masking) {
    switch (column) {
        case kTypeColumn:
            return ShownName(database.m_types, record.GetTypeKey());
        case kCategoryColumn:
            return ShownName(database.m_categories, record.m_categoryKey);
        default:
            if (IsTextColumn(column))
                return record.DisplayValue(column - kFirstFieldColumn, masking);
            return {};
    }
}

std::string ColumnTitle(const CDatabaseObj& database, const ItemKey& typeFilter, int column) {
    const CStringTable& strings = database.m_types.Strings();
    if (column == kTypeColumn)
        return strings.Get(str::kTypeColumnTitle);
    if (column == kCategoryColumn)
        return strings.Get(str::kCategoryColumnTitle);
    if (!IsTextColumn(column))
        return {};
    const int field = column - kFirstFieldColumn;
    const CTypeItem* type =
        typeFilter == AnyKey || typeFilter.IsZero() ? nullptr : database.FindType(typeFilter);
    return type ? std::string(type->GetLabel(field)) : strings.Get(str::kFieldLabel1 + field);
}

std::vector<CListColumn> VisibleColumns(const CColumnLayout& layout) {
    std::vector<CListColumn> columns;
    for (int c = 0; c < kColumnCount; ++c) {
        const CColumnEntry& entry = layout.entries[c];
        if (!entry.visible)
            continue;
        const int width = c == kIconColumn   ? kIconColumnWidth
                          : c == kNoteColumn ? kNoteColumnWidth
                                             : entry.width;
        columns.push_back({c, width});
    }
    return columns;
}

int ColumnAtHeaderIndex(const CColumnLayout& layout, int headerIndex) {
    for (int c = 0; c < kColumnCount; ++c)
        if (layout.entries[c].visible && headerIndex-- == 0)
            return c;
    return -1;
}

void SetColumnWidth(CColumnLayout& layout, int column, int width) {
    if (column < 0 || column >= kColumnCount)
        return;
    layout.entries[column].width =
        static_cast<uint16_t>(std::clamp<int>(width, CColumnLayout::kMinWidth, UINT16_MAX));
}

int BestFitWidth(const CDatabaseObj& database, std::span<CRecord* const> rows, int column,
                 bool masking, const std::function<int(std::string_view)>& textWidth) {
    if (!IsTextColumn(column))
        return CColumnLayout::kMinWidth;
    int widest = 0;
    for (const CRecord* record : rows)
        widest = std::max(widest, textWidth(CellText(database, *record, column, masking)));
    return widest + 8;
}

LayoutHome LayoutHomeFor(const CDatabaseObj& database, const ItemKey& typeFilter) {
    if (typeFilter == AnyKey || typeFilter.IsZero())
        return LayoutHome::Preference;
    return database.FindType(typeFilter) ? LayoutHome::Type : LayoutHome::Nowhere;
}

std::optional<CColumnLayout> ReloadedLayout(const CDatabaseObj& database, const ItemKey& typeFilter,
                                            const CColumnLayout& shared) {
    switch (LayoutHomeFor(database, typeFilter)) {
        case LayoutHome::Preference:
            return shared;
        case LayoutHome::Type:
            return database.FindType(typeFilter)->m_columns;
        default:
            return std::nullopt;
    }
}

std::optional<std::string> ShowFieldTitle(const CDatabaseObj& database, const ItemKey& typeFilter,
                                          int index) {
    if (LayoutHomeFor(database, typeFilter) != LayoutHome::Type)
        return std::nullopt;
    const std::string_view label = database.FindType(typeFilter)->GetLabel(index);
    if (label.empty())
        return std::nullopt;
    return database.m_types.Strings().Format(str::kShowColumnFor, {label});
}

}  // namespace tessarin
