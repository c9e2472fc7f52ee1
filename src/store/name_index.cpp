#include "store/name_index.h"

#include <algorithm>
#include <iterator>

#include "base/text_case.h"
#include "store/core_context.h"

namespace tessarin {

size_t CNameIndex::CNoCaseHash::operator()(std::string_view name) const {
    // FNV-1a over the lower-case bytes.
    uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : name) {
        hash ^= LowerCp1252(static_cast<uint8_t>(c));
        hash *= 0x100000001b3ull;
    }
    return static_cast<size_t>(hash);
}

bool CNameIndex::CNoCaseEqual::operator()(std::string_view a, std::string_view b) const {
    return EqualsNoCase(a, b);
}

CNameIndex::CNameIndex(CItemList& list) : m_list(list) {
    m_byName.reserve(list.Size());
    for (const auto& item : list.Items())
        if (!item->m_deleted)
            m_byName.emplace(item->GetName(), item.get());
}

CNameIndex::~CNameIndex() {
    try {
        Flush();
    } catch (...) {
        // Out of memory while merging: the pending items are lost with the index, and the records
        // that name them show as unfiled. Nothing better is possible here.
    }
}

CBaseItem* CNameIndex::FindByName(std::string_view name) const {
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : it->second;
}

CBaseItem* CNameIndex::AddSorted(std::unique_ptr<CBaseItem> item) {
    if (item->m_key.IsZero())
        item->m_key = m_list.Context().NewKey();
    CBaseItem* added = item.get();
    m_pending.push_back(std::move(item));
    m_byName.emplace(added->GetName(), added);
    return added;
}

void CNameIndex::Flush() {
    if (m_pending.empty())
        return;
    const ICollation& collation = m_list.Context().Collation();
    auto before = [&](const auto& a, const auto& b) {
        return collation.Compare(a->GetName(), b->GetName(), true) < 0;
    };
    const CItemList::Storage& existing = m_list.Items();
    if (!std::is_sorted(existing.begin(), existing.end(), before)) {
        // Inserting one by one into a list out of order has no shortcut.
        for (auto& item : m_pending)
            m_list.AddSorted(std::move(item));
        m_pending.clear();
        return;
    }
    // Each insertion goes before the first item at or after it: among equal names the newest
    // comes first, and a new item before an old one of the same name.
    std::reverse(m_pending.begin(), m_pending.end());
    std::stable_sort(m_pending.begin(), m_pending.end(), before);
    CItemList::Storage merged;
    merged.reserve(existing.size() + m_pending.size());
    CItemList::Storage old = m_list.ReleaseAll();
    std::merge(std::make_move_iterator(m_pending.begin()), std::make_move_iterator(m_pending.end()),
               std::make_move_iterator(old.begin()), std::make_move_iterator(old.end()),
               std::back_inserter(merged), before);
    m_list.ReplaceAll(std::move(merged));
    m_pending.clear();
}

}  // namespace tessarin
