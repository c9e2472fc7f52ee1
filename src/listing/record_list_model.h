#pragma once

// The record list without its window: which records are listed (type and category filters, and a
// find narrowing them), in which order, and what each cell shows. Rows are the records
// themselves, so a renamed type, a changed label or unmasking shows at the next paint.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/locale.h"
#include "listing/list_columns.h"
#include "listing/quick_search.h"
#include "listing/record_order.h"
#include "store/database.h"

namespace tessarin {

class CTextFinder;

class CRecordListModel {
public:
    CRecordListModel(const CDatabaseObj& database, const ILocale& locale)
        : m_database(&database), m_locale(&locale) {}

    // Another user's database; the rows are emptied.
    void SetDatabase(const CDatabaseObj& database);
    const CDatabaseObj& Database() const { return *m_database; }
    const ILocale& Locale() const { return *m_locale; }

    // The filters take effect at the next refill.
    const ItemKey& TypeFilter() const { return m_typeFilter; }
    const ItemKey& CategoryFilter() const { return m_categoryFilter; }
    void SetTypeFilter(const ItemKey& key) { m_typeFilter = key; }
    void SetCategoryFilter(const ItemKey& key) { m_categoryFilter = key; }

    CSortSetting Sort() const { return m_sort; }
    // Takes effect at the next refill or SortRows.
    void SetSort(CSortSetting sort) { m_sort = sort; }
    // A click on a column's header: flips or changes the sort setting and sorts the rows.
    void SortByColumn(int column);
    void SortRows();

    bool Unmasked() const { return m_unmasked; }
    void SetUnmasked(bool unmasked) { m_unmasked = unmasked; }

    const std::vector<CRecord*>& Rows() const { return m_rows; }
    // The rows `other` was filled with (RefillList, no search in either), as if this list had
    // been refilled; `other` is left empty.
    void TakeRows(CRecordListModel& other) {
        m_rows = std::move(other.m_rows);
        other.m_rows.clear();
    }
    size_t RowCount() const { return m_rows.size(); }
    CRecord* RowAt(size_t row) const { return row < m_rows.size() ? m_rows[row] : nullptr; }
    std::optional<size_t> RowOf(const CRecord& record) const;

    void Clear();
    // Rows for every live record that passes both filters, in sorted order.
    void RefillList();
    // The same, narrowed to the records that hold `text` in a value or the note.
    void RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord);

    // The search field's text (see CQuickSearch): every refill lists only what it finds, on top of
    // the filters and a find. Setting it narrows the rows as they stand when the new text lies
    // within the old one (typing on), else looks through the rows the list had before the
    // search, in their order; "" gives those back.
    void SetSearch(std::string_view text);
    const std::string& SearchText() const { return m_searchText; }
    // A record added while the list is shown: listed when the type filter passes it (the category
    // filter and a find are not consulted), before the first row it does not sort after. Returns
    // its row, or none when not listed.
    std::optional<size_t> InsertRecordRow(CRecord& record);
    // The row InsertRecordRow would give the record, without inserting it: for a window that must
    // announce a row before it comes.
    std::optional<size_t> RowForNewRecord(const CRecord& record) const;
    bool RemoveRecordRow(const CRecord& record);
    // Takes out `count` rows from `first` on.
    void EraseRows(size_t first, size_t count) {
        m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(first),
                     m_rows.begin() + static_cast<std::ptrdiff_t>(first + count));
    }
    // Takes out the rows of every record `gone` says went, in one pass.
    template <typename Gone>
    void RemoveRecordRows(const Gone& gone) {
        std::erase_if(m_rows, [&](const CRecord* record) { return gone(*record); });
        ForgetHidden(gone);
    }
    // Forgets the records `gone` says went among the rows the search hides; call it before the
    // listed rows go, however they go.
    template <typename Gone>
    void ForgetHidden(const Gone& gone) {
        std::erase_if(m_unsearched, [&](const CRecord* record) { return gone(*record); });
    }

    // A find narrows the list: the rows are not all the records the filters pass. This is when
    // "Find All" is offered.
    bool IsNarrowed() const;

    std::string_view CellText(size_t row, int column) const;
    std::string ColumnTitle(int column) const;

    // The first row whose text in the sort column, as shown, is not empty and begins with
    // `prefix` without regard to case; none when no row does or the sort column shows pictures.
    std::optional<size_t> FindTypedPrefix(std::string_view prefix) const;

private:
    void Fill(const CTextFinder* finder);
    // Those of `rows` the search finds, in their order.
    std::vector<CRecord*> Searched(const std::vector<CRecord*>& rows) const;

    const CDatabaseObj* m_database;
    const ILocale* m_locale;
    ItemKey m_typeFilter = AnyKey;
    ItemKey m_categoryFilter = AnyKey;
    CSortSetting m_sort;
    bool m_unmasked = false;
    std::string m_searchText;
    std::optional<CQuickSearch> m_search;
    std::vector<CRecord*> m_rows;
    // While a search is set: the rows as they would be without it (a superset of m_rows, in the
    // same order).
    std::vector<CRecord*> m_unsearched;
};

// The cells of a whole list, with the type and category names looked up once: for writing every
// row out. Valid while the list and the database stay as they are.
class CListCells {
public:
    explicit CListCells(const CRecordListModel& list)
        : m_list(list),
          m_types(list.Database().m_types),
          m_categories(list.Database().m_categories) {}

    std::string_view Text(size_t row, int column) const;
    std::string_view Text(const CRecord& record, int column) const;
    // Asks for the record of a later row in advance, for writing rows one after another.
    void Prefetch(size_t row) const {
        if (row < m_list.RowCount())
            __builtin_prefetch(m_list.RowAt(row));
    }

private:
    const CRecordListModel& m_list;
    CShownNames m_types;
    CShownNames m_categories;
};

// The search prefix of typing in the list: each character is added to it, after clearing it when
// more than twice the double-click time has passed since the previous character.
class CTypeAhead {
public:
    const std::string& Add(char c, int64_t nowMs, int64_t doubleClickMs);

private:
    std::string m_prefix;
    std::optional<int64_t> m_lastMs;
};

}  // namespace tessarin
