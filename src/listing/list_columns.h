#pragma once

// The record list's ten columns: what each cell shows, the titles, which columns a layout shows and
// how wide, and where the layout for a type filter is kept.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"

namespace tessarin {

inline constexpr int kColumnCount = 10;
inline constexpr int kIconColumn = 0;
inline constexpr int kTypeColumn = 1;
inline constexpr int kCategoryColumn = 2;
inline constexpr int kFirstFieldColumn = 3;
inline constexpr int kNoteColumn = 9;
// The two picture columns always get these widths when the columns are built.
inline constexpr int kIconColumnWidth = 27;
inline constexpr int kNoteColumnWidth = 24;

inline bool IsTextColumn(int column) {
    return column > kIconColumn && column < kNoteColumn;
}

// The name shown for a type or category key: the item's name, or "Unfiled" when no item has it.
std::string_view ShownName(const CItemList& list, const ItemKey& key);

// The shown names of one list's keys, looked up once for many rows (a sort, a whole list
// written out); valid while the list's items stay as they are.
class CShownNames {
public:
    explicit CShownNames(const CItemList& list);
    // The index of the key's name in Names(); the last name is "Unfiled". Remembers the last key
    // found, for rows that come in runs of one type; Find is the same without it, for many threads.
    uint32_t IndexOf(const ItemKey& key) const;
    uint32_t Find(const ItemKey& key) const;
    std::string_view NameOf(const ItemKey& key) const { return m_names[IndexOf(key)]; }
    std::span<const std::string_view> Names() const { return m_names; }
    // The keys, sorted, each with the name of the same index.
    std::span<const uint64_t> Keys() const { return m_keys; }

private:
    std::vector<uint64_t> m_keys;  // sorted; the name of m_keys[i] is m_names[i]
    std::vector<std::string_view> m_names;
    mutable size_t m_last = 0;
};

// What a cell shows: the name of the record's type or category, or the value of a field, "****" in
// place of a non-empty masked value while `masking`; nothing in the icon and note columns. Valid
// until the record or the named item changes.
std::string_view CellText(const CDatabaseObj& database, const CRecord& record, int column,
                          bool masking);

// A column's header: "Type", "Category", the labels of the type that `typeFilter` names (the
// default labels for all types, Unfiled or a type that is gone); nothing over the two pictures.
std::string ColumnTitle(const CDatabaseObj& database, const ItemKey& typeFilter, int column);

struct CListColumn {
    int column;
    int width;
    friend bool operator==(const CListColumn&, const CListColumn&) = default;
};

// The columns a layout shows, by number, with the widths they are built with.
std::vector<CListColumn> VisibleColumns(const CColumnLayout& layout);

// The column number of the n-th visible column (from 0), or -1.
int ColumnAtHeaderIndex(const CColumnLayout& layout, int headerIndex);

// Stores a width the user gave a column; below the least width it is stored as the least.
void SetColumnWidth(CColumnLayout& layout, int column, int width);

// The width that fits a column's widest cell: the widest text as shown (masked values as "****")
// plus 8, measured by `textWidth` in the list's font; the picture columns fit in 24.
int BestFitWidth(const CDatabaseObj& database, std::span<CRecord* const> rows, int column,
                 bool masking, const std::function<int(std::string_view)>& textWidth);

// Where the layout in force is kept for a type filter: "Show Columns2" for all types and for
// Unfiled, the type itself otherwise, nowhere when the filter names no type.
enum class LayoutHome { Preference, Type, Nowhere };
LayoutHome LayoutHomeFor(const CDatabaseObj& database, const ItemKey& typeFilter);

// The layout to build the columns with when it is read again for a type filter, from "Show
// Columns2" (`shared`) or the type; none when the filter names no type and the layout in force
// stays.
std::optional<CColumnLayout> ReloadedLayout(const CDatabaseObj& database, const ItemKey& typeFilter,
                                            const CColumnLayout& shared);

// The title of the Show Columns box of field `index` when the type filter names a type whose label
// of that field is not empty ("Show %s"); none keeps the box's own title.
std::optional<std::string> ShowFieldTitle(const CDatabaseObj& database, const ItemKey& typeFilter,
                                          int index);

}  // namespace tessarin
