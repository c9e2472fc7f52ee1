#include "ui/record_table_model.h"

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/database_session.h"
#include "ui/ui_text.h"

namespace tessarin {

CRecordTableModel::CRecordTableModel(CRecordListModel& list, const CStringTable& strings,
                                     QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_strings(strings) {}

void CRecordTableModel::SetColumns(std::vector<CListColumn> columns) {
    beginResetModel();
    m_columns = std::move(columns);
    endResetModel();
}

int CRecordTableModel::ColumnAt(int section) const {
    if (section < 0 || section >= static_cast<int>(m_columns.size()))
        return -1;
    return m_columns[static_cast<size_t>(section)].column;
}

int CRecordTableModel::SectionOf(int column) const {
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].column == column)
            return static_cast<int>(i);
    return -1;
}

CRecord* CRecordTableModel::RecordAt(int row) const {
    return row < 0 ? nullptr : m_list.RowAt(static_cast<size_t>(row));
}

std::optional<int> CRecordTableModel::RowOf(const CRecord& record) const {
    const std::optional<size_t> row = m_list.RowOf(record);
    if (!row)
        return std::nullopt;
    return static_cast<int>(*row);
}

void CRecordTableModel::Refill() {
    beginResetModel();
    m_list.RefillList();
    endResetModel();
}

void CRecordTableModel::RefillAside(IAsideRunner& aside) {
    if (!m_list.SearchText().empty()) {
        Refill();
        return;
    }
    // The list reads the records, their types and categories and the collation, and changes
    // nothing of them; the rows shown meanwhile are the list's own.
    CRecordListModel sorted(m_list.Database(), m_list.Locale());
    sorted.SetTypeFilter(m_list.TypeFilter());
    sorted.SetCategoryFilter(m_list.CategoryFilter());
    sorted.SetSort(m_list.Sort());
    sorted.SetUnmasked(m_list.Unmasked());
    aside.RunAside([&sorted] { sorted.RefillList(); });
    beginResetModel();
    m_list.TakeRows(sorted);
    endResetModel();
}

void CRecordTableModel::RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord) {
    beginResetModel();
    m_list.RefillFiltered(text, caseSensitive, wholeWord);
    endResetModel();
}

void CRecordTableModel::SetSearch(std::string_view text) {
    beginResetModel();
    m_list.SetSearch(text);
    endResetModel();
}

void CRecordTableModel::SortByColumn(int column) {
    beginResetModel();
    m_list.SortByColumn(column);
    endResetModel();
}

void CRecordTableModel::Clear() {
    beginResetModel();
    m_list.Clear();
    endResetModel();
}

std::optional<int> CRecordTableModel::InsertRecordRow(CRecord& record) {
    const std::optional<size_t> row = m_list.RowForNewRecord(record);
    if (!row)
        return std::nullopt;
    const int at = static_cast<int>(*row);
    beginInsertRows(QModelIndex(), at, at);
    m_list.InsertRecordRow(record);
    endInsertRows();
    return at;
}

bool CRecordTableModel::RemoveRecordRow(const CRecord& record) {
    const std::optional<int> row = RowOf(record);
    if (!row)
        return m_list.RemoveRecordRow(record);  // forgotten where the search hides it
    beginRemoveRows(QModelIndex(), *row, *row);
    m_list.RemoveRecordRow(record);
    endRemoveRows();
    return true;
}

void CRecordTableModel::RemoveRecordRows(const std::function<bool(const CRecord&)>& gone) {
    m_list.ForgetHidden(gone);
    // The runs of rows that go, from the bottom up.
    std::vector<std::pair<int, int>> runs;
    const auto& rows = m_list.Rows();
    for (size_t row = 0; row < rows.size(); ++row) {
        if (!gone(*rows[row]))
            continue;
        const int at = static_cast<int>(row);
        if (!runs.empty() && runs.back().second == at - 1)
            runs.back().second = at;
        else
            runs.emplace_back(at, at);
    }
    if (runs.empty())
        return;
    // A few runs are told as they are, so that the views keep their place; many at once, since
    // every removal told makes the views walk their selection.
    constexpr size_t kRunsTold = 32;
    if (runs.size() <= kRunsTold) {
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            beginRemoveRows(QModelIndex(), run->first, run->second);
            m_list.EraseRows(static_cast<size_t>(run->first),
                             static_cast<size_t>(run->second - run->first + 1));
            endRemoveRows();
        }
        return;
    }
    beginResetModel();
    m_list.RemoveRecordRows(gone);
    endResetModel();
}

void CRecordTableModel::RecordChanged(const CRecord& record) {
    const std::optional<int> row = RowOf(record);
    if (row && !m_columns.empty())
        Q_EMIT dataChanged(index(*row, 0), index(*row, columnCount() - 1));
}

void CRecordTableModel::CellsChanged() {
    if (rowCount() > 0 && !m_columns.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void CRecordTableModel::TitlesChanged() {
    if (!m_columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int CRecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_list.RowCount());
}

int CRecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CRecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const int column = ColumnAt(index.column());
    const auto row = static_cast<size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            if (IsTextColumn(column))
                return Cp1252ToQString(m_list.CellText(row, column));
            // The two picture columns: what a screen reader says for them.
            if (role == Qt::AccessibleTextRole && column == kNoteColumn && m_list.RowAt(row) &&
                !m_list.RowAt(row)->GetNote().empty())
                return UiText(m_strings, str::kNoteColumnName);
            return {};
        default:
            return {};
    }
}

QVariant CRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    const int column = ColumnAt(section);
    if (column < 0)
        return {};
    switch (role) {
        case Qt::DisplayRole:
            return Cp1252ToQString(m_list.ColumnTitle(column));
        case Qt::AccessibleTextRole:
            if (column == kIconColumn)
                return UiText(m_strings, str::kIconColumnName);
            if (column == kNoteColumn)
                return UiText(m_strings, str::kNoteColumnName);
            return Cp1252ToQString(m_list.ColumnTitle(column));
        case kColumnRole:
            return column;
        default:
            return {};
    }
}

Qt::ItemFlags CRecordTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace tessarin
