#pragma once

// A type or category chooser: its entries are the core's filter entries ("All Types", the items by
// name, "Unfiled", "Edit Types..."), each standing for a key. Above the record list it chooses the
// list's filter; in the record dialog, without "All Types", a record's type or category.
#include <optional>
#include <vector>

#include <QComboBox>

#include "listing/filter_entries.h"

namespace tessarin {

class ICollation;

class CFilterCombo : public QComboBox {
    Q_OBJECT
public:
    enum class Use { Filter, Record };
    explicit CFilterCombo(QWidget* parent, Use use = Use::Filter)
        : QComboBox(parent), m_first(use == Use::Record ? 1 : 0) {}

    // The entries for the live items of the list; the first shown is selected.
    void Fill(const CItemList& list, const ICollation& collation);
    // Selects the entry that stands for the key. When none does, a filter's selection stays and a
    // record's chooser selects "Unfiled" (a record filed under an item since deleted is unfiled).
    void SelectKey(const ItemKey& key);
    ItemKey KeyAt(int index) const;
    ItemKey SelectedKey() const { return KeyAt(currentIndex()); }
    // The index of the entry of an item's key, or none.
    std::optional<int> IndexOfItem(const ItemKey& key) const;

    // An item added or renamed elsewhere: its entry goes to its place by name. The selection
    // stays on the entry it was on.
    void InsertItem(const CBaseItem& item, const ICollation& collation);
    // The entry of an item taken out; whether it was the selected one.
    bool RemoveItem(const ItemKey& key);
    const std::vector<CFilterEntry>& Entries() const { return m_entries; }

    // The height of the open list, in pixels.
    void SetDropDownHeight(int pixels);

private:
    // The entries shown begin at this one: a record's chooser has no "All" entry.
    size_t m_first;
    std::vector<CFilterEntry> m_entries;
};

}  // namespace tessarin
