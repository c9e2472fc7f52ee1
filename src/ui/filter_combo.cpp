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
    for (size_t i = m_first; i < m_entries.size(); ++i)
        addItem(Cp1252ToQString(m_entries[i].text));
    setCurrentIndex(0);
}

void CFilterCombo::SelectKey(const ItemKey& key) {
    std::optional<size_t> index = FilterEntryIndex(m_entries, key);
    if (index && *index < m_first)
        index.reset();
    if (!index && m_first > 0 && m_entries.size() >= 2)
        index = m_entries.size() - 2;  // "Unfiled"
    if (index) {
        const QSignalBlocker blocker(this);
        setCurrentIndex(static_cast<int>(*index - m_first));
    }
}

ItemKey CFilterCombo::KeyAt(int index) const {
    return FilterEntryKey(m_entries, static_cast<size_t>(std::max(index, 0)) + m_first);
}

std::optional<int> CFilterCombo::IndexOfItem(const ItemKey& key) const {
    // Items stand between the first entry and the last two.
    for (size_t i = 1; i + 2 < m_entries.size(); ++i)
        if (m_entries[i].key == key)
            return static_cast<int>(i - m_first);
    return std::nullopt;
}

void CFilterCombo::InsertItem(const CBaseItem& item, const ICollation& collation) {
    const QSignalBlocker blocker(this);
    const size_t at =
        InsertFilterEntry(m_entries, {std::string(item.GetName()), item.m_key}, collation);
    insertItem(static_cast<int>(at - m_first), Cp1252ToQString(item.GetName()));
}

bool CFilterCombo::RemoveItem(const ItemKey& key) {
    const std::optional<int> index = IndexOfItem(key);
    if (!index)
        return false;
    const bool selected = *index == currentIndex();
    const QSignalBlocker blocker(this);
    m_entries.erase(m_entries.begin() + *index + static_cast<int>(m_first));
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
