#pragma once

// What the record commands and their dialogs need of the record list: the database, the filters,
// the selection, and the rows, filter combos and columns to bring up to date after a change.
// CViewRecordHooks answers them from the record list view, row by row.
#include <functional>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/icon_file.h"

namespace tessarin {

class CCoreContext;
class CPreferences;
class CTessarinDesktopView;
class IRecordViewHooks;

// What the record commands hand to their dialogs.
struct CRecordServices {
    CCoreContext& context;
    CPreferences& preferences;
    IRecordViewHooks& view;
    // Re-arms the automatic lock (the note's changes count as activity); may be empty.
    std::function<void()> activity;
};

// Posts a change notice (delivered only while the current user syncs).
void Announce(CCoreContext& context, uint32_t action, int kind, uint32_t recordNumber);

// Deletes the records (in display order) from the database and their rows from the list, saves
// once, then posts the deletion notices.
void DeleteRecords(CCoreContext& context, IRecordViewHooks& view,
                   const std::vector<const CRecord*>& records);

class IRecordViewHooks {
public:
    virtual ~IRecordViewHooks() = default;

    virtual CDatabaseObj& Database() = 0;
    // Saves the database now; false when it failed (its message has been shown, and a password
    // changed elsewhere has been passed on to the shell).
    virtual bool SaveDatabase() = 0;
    // A change that the exit's save and the automatic backup must see.
    virtual void MarkDatabaseChanged() = 0;

    virtual ItemKey TypeFilter() const = 0;
    virtual ItemKey CategoryFilter() const = 0;
    virtual std::vector<const CRecord*> SelectedRecords() const = 0;

    // A new record's row at its sorted place (when the type filter lets it in); with `select`
    // the only selected row, scrolled into view.
    virtual void InsertRecordRow(CRecord& record, bool select) = 0;
    // The record's row drawn anew, scrolled into view, and the record shown in the details pane.
    virtual void RedrawRecordRow(const CRecord& record) = 0;
    // Takes out the record's row; called while the record still exists, before it is deleted.
    virtual void RemoveRecordRow(const CRecord& record) = 0;
    // Repaints the rows, after records were deleted or changed in bulk.
    virtual void RepaintList() = 0;
    // The details pane shows the record (none: empty).
    virtual void ShowInDetails(const CRecord* record) = 0;

    // A type (kind 1) or category (kind 2) added to the list, or renamed: its filter combo entry
    // put at its place by name.
    virtual void FilterItemAdded(int kind, const CBaseItem& item) = 0;
    virtual void FilterItemRenamed(int kind, const CBaseItem& item) = 0;
    // Called before the item is deleted: its entry leaves the combo; when it was the filter, the
    // filter goes back to all and the list is refilled.
    virtual void FilterItemRemoved(int kind, const CBaseItem& item) = 0;
    // After "Edit Types" closed: the column layout saved and the columns rebuilt when the type
    // filter is not AnyKey (a label is a column title), and the list repainted.
    virtual void TypesEdited() = 0;

    // The current user's custom icons; none when there are none.
    virtual const CIconList* CustomIcons() = 0;
};

// The hooks over the record list view.
class CViewRecordHooks : public IRecordViewHooks {
public:
    explicit CViewRecordHooks(CTessarinDesktopView& view);

    CDatabaseObj& Database() override;
    bool SaveDatabase() override;
    void MarkDatabaseChanged() override;
    ItemKey TypeFilter() const override;
    ItemKey CategoryFilter() const override;
    std::vector<const CRecord*> SelectedRecords() const override;
    void InsertRecordRow(CRecord& record, bool select) override;
    void RedrawRecordRow(const CRecord& record) override;
    void RemoveRecordRow(const CRecord& record) override;
    void RepaintList() override;
    void ShowInDetails(const CRecord* record) override;
    void FilterItemAdded(int kind, const CBaseItem& item) override;
    void FilterItemRenamed(int kind, const CBaseItem& item) override;
    void FilterItemRemoved(int kind, const CBaseItem& item) override;
    void TypesEdited() override;
    const CIconList* CustomIcons() override;

private:
    void RefillCombosLater();

    CTessarinDesktopView& m_view;
    bool m_refillQueued = false;
};

}  // namespace tessarin
