#include "ui/filter_combo.h"

#include <algorithm>

#include <QSignalBlocker>

#include "base/collation.h"
#include "platform/qt_text.h"

namespace tessarin {

void CFilterCombo::Fill(const CItemList& list, const ICollation& collation) {
    const QSignalBlocker blocker(this);
    m_entries = FilterEntries(list, collation);
    clear();
    for (const CFilterEntry& entry : m_entries)
        addItem(Cp1252ToQString(entry.text));
    setCurrentIndex(0);
}

void CFilterCombo::SelectKey(const ItemKey& key) {
    if (const std::optional<size_t> index = FilterEntryIndex(m_entries, key)) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(static_cast<int>(*index));
    }
}

ItemKey CFilterCombo::KeyAt(int index) const {
    return FilterEntryKey(m_entries, static_cast<size_t>(std::max(index, 0)));
}

std::optional<int> CFilterCombo::IndexOfItem(const ItemKey& key) const {
    // Items stand between the first entry and the last two.
    for (size_t i = 1; i + 2 < m_entries.size(); ++i)
        if (m_entries[i].key == key)
            return static_cast<int>(i);
    return std::nullopt;
}

void CFilterCombo::InsertItem(const CBaseItem& item, const ICollation& collation) {
    const QSignalBlocker blocker(this);
    const size_t at =
        InsertFilterEntry(m_entries, {std::string(item.GetName()), item.m_key}, collation);
    insertItem(static_cast<int>(at), Cp1252ToQString(item.GetName()));
}

bool CFilterCombo::RemoveItem(const ItemKey& key) {
    const std::optional<int> index = IndexOfItem(key);
    if (!index)
        return false;
    const bool selected = *index == currentIndex();
    const QSignalBlocker blocker(this);
    m_entries.erase(m_entries.begin() + *index);
    removeItem(*index);
    if (selected)
        setCurrentIndex(0);
    return selected;
}

void CFilterCombo::SetDropDownHeight(int pixels) {
    // An entry of the open list is about a line of text and its margins high.
    const int row = fontMetrics().height() + 4;
    setMaxVisibleItems(std::max(1, pixels / row));
}

}  // namespace tessarin
