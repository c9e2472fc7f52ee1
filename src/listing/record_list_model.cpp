#include "listing/record_list_model.h"

#include <algorithm>

#include "base/text_case.h"
#include "base/work_crew.h"
#include "listing/text_find.h"

namespace tessarin {

void CRecordListModel::SetDatabase(const CDatabaseObj& database) {
    m_database = &database;
    Clear();
}

void CRecordListModel::Clear() {
    m_rows.clear();
    m_unsearched.clear();
}

void CRecordListModel::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    m_sort = m_sort.AfterClick(column);
    SortRows();
}

void CRecordListModel::SortRows() {
    // Equal rows keep their places.
    SortRecords(m_rows, m_sort, *m_database, *m_locale);
    if (m_search)
        SortRecords(m_unsearched, m_sort, *m_database, *m_locale);
}

std::optional<size_t> CRecordListModel::RowOf(const CRecord& record) const {
    const auto at = std::find(m_rows.begin(), m_rows.end(), &record);
    if (at == m_rows.end())
        return std::nullopt;
    return static_cast<size_t>(at - m_rows.begin());
}

void CRecordListModel::Fill(const CTextFinder* finder) {
    m_rows.clear();
    m_unsearched.clear();
    if (!finder)
        m_rows.reserve(m_database->m_records.Size());
    for (const auto& item : m_database->m_records.Items()) {
        auto& record = static_cast<CRecord&>(*item);
        if (MatchesFilter(record, m_typeFilter, m_categoryFilter) &&
            (!finder || finder->Matches(record)))
            m_rows.push_back(&record);
    }
    // Inserting each in turn before the first row it does not sort after leaves equal records
    // last-stored first: a stable sort of the reversed rows gives the same order.
    std::reverse(m_rows.begin(), m_rows.end());
    SortRows();
    if (m_search) {
        // The types and categories it finds may have been renamed since.
        m_search.emplace(m_searchText, *m_database);
        m_unsearched = std::move(m_rows);
        m_rows = Searched(m_unsearched);
    }
}

std::vector<CRecord*> CRecordListModel::Searched(const std::vector<CRecord*>& rows) const {
    // The rows come in list order, scattered over memory: each record, then its texts, is asked
    // for a few rows ahead.
    const auto search = [&](size_t begin, size_t end, auto&& found) {
        for (size_t i = begin; i < end; ++i) {
            if (i + 16 < end)
                __builtin_prefetch(rows[i + 16]);
            if (i + 8 < end)
                rows[i + 8]->PrefetchTexts();
            if (m_search->Matches(*rows[i]))
                found(i);
        }
    };
    std::vector<CRecord*> found;
    const size_t threads = ItemThreadsFor(rows.size());
    if (threads <= 1) {
        search(0, rows.size(), [&](size_t i) { found.push_back(rows[i]); });
        return found;
    }
    // Every record on its own, on every core; the rows keep their order.
    std::vector<uint8_t> hits(rows.size());
    const size_t batch = ItemThreads().batchItems * 16;
    CWorkCrew crew(threads - 1);
    crew.ForEach((rows.size() + batch - 1) / batch, [&](size_t piece) {
        search(piece * batch, std::min(rows.size(), (piece + 1) * batch),
               [&](size_t i) { hits[i] = 1; });
    });
    for (size_t i = 0; i < rows.size(); ++i)
        if (hits[i])
            found.push_back(rows[i]);
    return found;
}

void CRecordListModel::SetSearch(std::string_view text) {
    if (text == m_searchText)
        return;
    if (text.empty()) {
        // The rows as they were before the search (those it hid included).
        m_search.reset();
        m_searchText.clear();
        m_rows = std::move(m_unsearched);
        m_unsearched.clear();
        return;
    }
    CQuickSearch search(text, *m_database);
    const bool narrows = m_search && search.Narrows(*m_search);
    if (!m_search)
        m_unsearched = m_rows;
    m_searchText = std::string(text);
    m_search = std::move(search);
    // Typing on: what the longer text finds lies among what the shorter one found, in the same
    // order. Else the rows before the search are looked through again, not sorted again.
    m_rows = Searched(narrows ? m_rows : m_unsearched);
}

void CRecordListModel::RefillList() {
    Fill(nullptr);
}

void CRecordListModel::RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord) {
    const CTextFinder finder(text, caseSensitive, wholeWord);
    Fill(&finder);
}

std::optional<size_t> CRecordListModel::RowForNewRecord(const CRecord& record) const {
    if (m_typeFilter != AnyKey && m_typeFilter != record.GetTypeKey())
        return std::nullopt;
    const auto at = std::find_if(m_rows.begin(), m_rows.end(), [&](const CRecord* row) {
        return CompareRecords(record, *row, m_sort, *m_database, *m_locale) <= 0;
    });
    return static_cast<size_t>(at - m_rows.begin());
}

std::optional<size_t> CRecordListModel::InsertRecordRow(CRecord& record) {
    const std::optional<size_t> row = RowForNewRecord(record);
    if (!row)
        return row;
    m_rows.insert(m_rows.begin() + static_cast<ptrdiff_t>(*row), &record);
    if (m_search) {
        // Among the rows the search hid too, in its sorted place.
        const auto at =
            std::find_if(m_unsearched.begin(), m_unsearched.end(), [&](const CRecord* r) {
                return CompareRecords(record, *r, m_sort, *m_database, *m_locale) <= 0;
            });
        m_unsearched.insert(at, &record);
    }
    return row;
}

bool CRecordListModel::RemoveRecordRow(const CRecord& record) {
    if (m_search)
        std::erase(m_unsearched, &record);
    const auto at = std::find(m_rows.begin(), m_rows.end(), &record);
    if (at == m_rows.end())
        return false;
    m_rows.erase(at);
    return true;
}

bool CRecordListModel::IsNarrowed() const {
    // Narrowed by a find: the rows before the search are not all the filters pass.
    const size_t rows = m_search ? m_unsearched.size() : m_rows.size();
    return rows != m_database->m_records.CountMatching(m_typeFilter, m_categoryFilter);
}

std::string_view CRecordListModel::CellText(size_t row, int column) const {
    if (row >= m_rows.size())
        return {};
    return tessarin::CellText(*m_database, *m_rows[row], column, !m_unmasked);
}

std::string CRecordListModel::ColumnTitle(int column) const {
    return tessarin::ColumnTitle(*m_database, m_typeFilter, column);
}

std::optional<size_t> CRecordListModel::FindTypedPrefix(std::string_view prefix) const {
    if (!IsTextColumn(m_sort.column))
        return std::nullopt;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        const std::string_view text = CellText(row, m_sort.column);
        if (!text.empty() && text.size() >= prefix.size() &&
            EqualsNoCase(text.substr(0, prefix.size()), prefix))
            return row;
    }
    return std::nullopt;
}

std::string_view CListCells::Text(size_t row, int column) const {
    const CRecord* record = m_list.RowAt(row);
    return record ? Text(*record, column) : std::string_view();
}

std::string_view CListCells::Text(const CRecord& record, int column) const {
    if (column == kTypeColumn)
        return m_types.NameOf(record.GetTypeKey());
    if (column == kCategoryColumn)
        return m_categories.NameOf(record.m_categoryKey);
    return CellText(m_list.Database(), record, column, !m_list.Unmasked());
}

const std::string& CTypeAhead::Add(char c, int64_t nowMs, int64_t doubleClickMs) {
    if (m_lastMs && nowMs - *m_lastMs > 2 * doubleClickMs)
        m_prefix.clear();
    m_lastMs = nowMs;
    m_prefix += c;
    return m_prefix;
}

}  // namespace tessarin
