#pragma once

// What exports and imports need of the record list that shows the database: its rows in display
// order and their selection, its type filter (IListedRecords, which the desktop program's list
// view implements), and being told of what an import did (IRecordList). Callers without a view use
// CAllTypesList.
#include <vector>

#include "store/database.h"

namespace tessarin {

class IListedRecords {
public:
    virtual ~IListedRecords() = default;

    // AnyKey while the list shows all types.
    virtual ItemKey TypeFilter() const = 0;
    // The records the list shows, in display order; the selected ones among them, in that order.
    virtual std::vector<const CRecord*> ShownRecords() const = 0;
    virtual std::vector<const CRecord*> SelectedRecords() const = 0;
};

class IRecordList : public IListedRecords {
public:
    // A record an import made, of a type the list shows: it gets a row and is selected.
    virtual void AddAndSelect(CRecord& record) = 0;
    // A restore is about to destroy every item: the rows go first.
    virtual void RemoveAll() = 0;
    // After an import: the type and category choosers and the rows are built anew.
    virtual void Refill() = 0;
    // The database changed since the program started; the automatic backup looks at this mark.
    virtual void MarkDatabaseChanged() = 0;
};

// The database's live records, in list order.
std::vector<const CRecord*> LiveRecords(const CDatabaseObj& database);

// A list without a view that shows every type, in the database's order; what an import adds is
// its selection.
class CAllTypesList : public IRecordList {
public:
    explicit CAllTypesList(const CDatabaseObj& database) : m_database(database) {}

    ItemKey TypeFilter() const override { return AnyKey; }
    std::vector<const CRecord*> ShownRecords() const override { return LiveRecords(m_database); }
    std::vector<const CRecord*> SelectedRecords() const override { return m_selected; }
    void AddAndSelect(CRecord& record) override { m_selected.push_back(&record); }
    void RemoveAll() override { m_selected.clear(); }
    void Refill() override {}
    void MarkDatabaseChanged() override { m_changed = true; }

    bool DatabaseChanged() const { return m_changed; }

private:
    const CDatabaseObj& m_database;
    std::vector<const CRecord*> m_selected;
    bool m_changed = false;
};

}  // namespace tessarin
