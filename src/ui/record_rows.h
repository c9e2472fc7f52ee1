#pragma once

// The record list's rows and their selection, by record: the one place where records are mapped to
// rows and back. Changes of the rows (a record added, changed or gone, many at once) keep the
// selection where its records still are and tell the views once.
#include <optional>
#include <vector>

#include <QStringList>

#include "store/database.h"

namespace tessarin {

class CRecordListView;
class CRecordTableModel;

// Up to how many rows a change adds, paints or removes one by one; more are done in one pass.
inline constexpr size_t kRowsOneByOne = 64;

class CRecordRows {
public:
    CRecordRows(CRecordTableModel& model, CRecordListView& list) : m_model(model), m_list(list) {}

    // The selection kept over a reset of the rows: its records and the current one.
    struct CMemo {
        std::vector<const CRecord*> selected;
        const CRecord* current = nullptr;
        bool Empty() const { return selected.empty() && !current; }
    };

    // The record of the selected row when exactly one row is selected, else none.
    CRecord* Single() const;
    // The records of the selected rows, in display order.
    std::vector<CRecord*> Selected() const;
    bool AnySelected() const;
    // Selects the rows of these records only (those listed), the first of them current and
    // scrolled into view.
    void Select(const std::vector<const CRecord*>& records);
    // The first row, selected and current.
    void SelectFirst();
    void SelectAll();
    void ClearSelection();
    CMemo Remember() const;
    // The memo's records selected again where they are listed; its current one current.
    void Restore(const CMemo& memo);

    // A new record's row in sorted position, when the filters let it in; with `select` it becomes
    // the only selected row and is scrolled into view.
    void Insert(CRecord& record, bool select);
    // Records that changed: their rows are painted again (all rows when many changed).
    void Changed(const std::vector<CBaseItem*>& records);
    // Records gone from the database leave their rows, in one pass.
    void Remove(const std::vector<const CBaseItem*>& records);
    // The record changed: its row is painted again and scrolled into view.
    void ShowChanged(const CRecord& record);

    int Count() const;
    // Field 1 of every row as shown, top to bottom.
    QStringList Texts() const;

private:
    std::vector<int> SelectedRowNumbers() const;
    void SelectRowNumbers(const std::vector<int>& rows, int current);

    CRecordTableModel& m_model;
    CRecordListView& m_list;
};

}  // namespace tessarin
