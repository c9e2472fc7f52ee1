#pragma once

// A type or category chooser above the record list: its entries are the core's filter entries
// ("All Types", the items by name, "Unfiled", "Edit Types..."), each standing for a filter key.
#include <optional>
#include <vector>

#include <QComboBox>

#include "listing/filter_entries.h"

namespace tessarin {

class ICollation;

class CFilterCombo : public QComboBox {
    Q_OBJECT
public:
    explicit CFilterCombo(QWidget* parent) : QComboBox(parent) {}

    // The entries for the live items of the list; entry 0 is selected.
    void Fill(const CItemList& list, const ICollation& collation);
    // Selects the entry that stands for the key; when none does the selection stays.
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
    std::vector<CFilterEntry> m_entries;
};

}  // namespace tessarin
