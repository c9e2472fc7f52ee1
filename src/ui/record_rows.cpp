#include "ui/record_rows.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include <QItemSelectionModel>

#include "listing/list_columns.h"
#include "platform/qt_text.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"

namespace tessarin {

std::vector<int> CRecordRows::SelectedRowNumbers() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : m_list.selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CRecordRows::SelectRowNumbers(const std::vector<int>& rows, int current) {
    // Runs of neighbouring rows make one range each: selecting many rows stays cheap.
    QItemSelection selection;
    const int last = m_model.columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.select(m_model.index(rows[i], 0),
                         m_model.index(rows[end - 1], std::max(last, 0)));
        i = end;
    }
    QItemSelectionModel* model = m_list.selectionModel();
    if (current >= 0)
        model->setCurrentIndex(m_model.index(current, 0), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

CRecord* CRecordRows::Single() const {
    const QItemSelection selection = m_list.selectionModel()->selection();
    int row = -1;
    for (const QItemSelectionRange& range : selection) {
        if (range.top() != range.bottom() || (row >= 0 && row != range.top()))
            return nullptr;
        row = range.top();
    }
    return m_model.RecordAt(row);
}

std::vector<CRecord*> CRecordRows::Selected() const {
    std::vector<CRecord*> records;
    for (int row : SelectedRowNumbers())
        if (CRecord* record = m_model.RecordAt(row))
            records.push_back(record);
    return records;
}

bool CRecordRows::AnySelected() const {
    return m_list.selectionModel()->hasSelection();
}

void CRecordRows::Select(const std::vector<const CRecord*>& records) {
    // A sorted array, not a node per record: an import selects a hundred thousand at once.
    std::vector<const CRecord*> wanted(records.begin(), records.end());
    std::sort(wanted.begin(), wanted.end(), std::less<>());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    std::vector<int> rows;
    for (int row = 0; row < Count() && rows.size() < wanted.size(); ++row)
        if (std::binary_search(wanted.begin(), wanted.end(),
                               static_cast<const CRecord*>(m_model.RecordAt(row)), std::less<>()))
            rows.push_back(row);
    SelectRowNumbers(rows, rows.empty() ? -1 : rows.front());
    if (!rows.empty())
        m_list.scrollTo(m_model.index(rows.front(), 0));
}

void CRecordRows::SelectFirst() {
    if (Count() > 0)
        SelectRowNumbers({0}, 0);
}

void CRecordRows::SelectAll() {
    if (Count() == 0)
        return;
    if (!m_list.currentIndex().isValid())
        m_list.selectionModel()->setCurrentIndex(m_model.index(0, 0),
                                                 QItemSelectionModel::NoUpdate);
    m_list.selectAll();
}

void CRecordRows::ClearSelection() {
    m_list.selectionModel()->clear();
}

CRecordRows::CMemo CRecordRows::Remember() const {
    CMemo memo;
    for (const CRecord* record : Selected())
        memo.selected.push_back(record);
    memo.current = m_model.RecordAt(m_list.currentIndex().row());
    return memo;
}

void CRecordRows::Restore(const CMemo& memo) {
    if (memo.Empty())
        return;
    const std::unordered_set<const CRecord*> wanted(memo.selected.begin(), memo.selected.end());
    std::vector<int> rows;
    int current = -1;
    for (int row = 0; row < Count(); ++row) {
        const CRecord* record = m_model.RecordAt(row);
        if (wanted.count(record))
            rows.push_back(row);
        if (record == memo.current)
            current = row;
    }
    SelectRowNumbers(rows, current);
    if (current >= 0)
        m_list.scrollTo(m_model.index(current, 0));
}

void CRecordRows::Insert(CRecord& record, bool select) {
    // A list built anew meanwhile (a save brought many records in) may hold it already.
    std::optional<int> row = m_model.RowOf(record);
    if (!row)
        row = m_model.InsertRecordRow(record);
    if (!row || !select)
        return;
    SelectRowNumbers({*row}, *row);
    m_list.scrollTo(m_model.index(*row, 0));
}

void CRecordRows::Changed(const std::vector<CBaseItem*>& records) {
    // Many changed rows are painted again at once rather than looked up one by one.
    if (records.size() > kRowsOneByOne) {
        m_model.CellsChanged();
        return;
    }
    for (const CBaseItem* item : records)
        m_model.RecordChanged(static_cast<const CRecord&>(*item));
}

void CRecordRows::Remove(const std::vector<const CBaseItem*>& records) {
    if (records.empty())
        return;
    if (records.size() <= kRowsOneByOne) {
        for (const CBaseItem* record : records)
            m_model.RemoveRecordRow(static_cast<const CRecord&>(*record));
    } else {
        const std::unordered_set<const CBaseItem*> gone(records.begin(), records.end());
        m_model.RemoveRecordRows(
            [&gone](const CRecord& record) { return gone.count(&record) != 0; });
    }
    m_list.viewport()->update();
}

void CRecordRows::ShowChanged(const CRecord& record) {
    m_model.RecordChanged(record);
    if (const std::optional<int> row = m_model.RowOf(record))
        m_list.scrollTo(m_model.index(*row, 0));
}

int CRecordRows::Count() const {
    return m_model.rowCount();
}

QStringList CRecordRows::Texts() const {
    QStringList rows;
    const CRecordListModel& list = m_model.List();
    for (size_t i = 0; i < list.RowCount(); ++i)
        rows << Cp1252ToQString(list.CellText(i, kFirstFieldColumn));
    return rows;
}

}  // namespace tessarin
