#pragma once

// The record list as a Qt table: rows are the core list's rows (records in display order), columns
// the visible columns of the layout in force. Cell texts are asked of the core when they are
// painted or read, so renames, label changes and unmasking show at the next repaint without
// rebuilding rows.
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

#include "listing/list_columns.h"
#include "listing/record_list_model.h"

namespace tessarin {

class CStringTable;
class IAsideRunner;

class CRecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Header data of this role: the column number the section shows.
    static constexpr int kColumnRole = Qt::UserRole + 1;

    CRecordTableModel(CRecordListModel& list, const CStringTable& strings,
                      QObject* parent = nullptr);

    CRecordListModel& List() { return m_list; }
    const CRecordListModel& List() const { return m_list; }

    // The visible columns, left to right. The views forget their selection, as at every reset.
    void SetColumns(std::vector<CListColumn> columns);
    const std::vector<CListColumn>& Columns() const { return m_columns; }
    // The width a section is shown with, as the user set it.
    void SetColumnWidth(int section, int width) {
        if (section >= 0 && section < static_cast<int>(m_columns.size()))
            m_columns[static_cast<size_t>(section)].width = width;
    }
    // The column number a section shows, or -1.
    int ColumnAt(int section) const;
    // The section that shows a column number, or -1 when it is hidden.
    int SectionOf(int column) const;

    CRecord* RecordAt(int row) const;
    std::optional<int> RowOf(const CRecord& record) const;

    // Changes of the rows; each tells the views.
    void Refill();
    // The same, with the rows filled and sorted by `aside` off the window's thread while the
    // views go on showing the rows as they were; they change at once when the new ones are ready.
    // While a search is set, as Refill.
    void RefillAside(IAsideRunner& aside);
    void RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord);
    // The search field's text (CRecordListModel::SetSearch).
    void SetSearch(std::string_view text);
    void SortByColumn(int column);
    void Clear();
    std::optional<int> InsertRecordRow(CRecord& record);
    bool RemoveRecordRow(const CRecord& record);
    // The rows of every record `gone` says went, in time linear in the rows.
    void RemoveRecordRows(const std::function<bool(const CRecord&)>& gone);
    // The record's cells changed (an edit, a refreshed copy).
    void RecordChanged(const CRecord& record);
    // Every cell may show something else (unmasking, a renamed type); the rows stay.
    void CellsChanged();
    // The titles may have changed (a type's labels).
    void TitlesChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    CRecordListModel& m_list;
    const CStringTable& m_strings;
    std::vector<CListColumn> m_columns;
};

}  // namespace tessarin
