#pragma once

// What the record commands and their dialogs need of the record list: the session through which
// they change the database (the list follows it by itself), the filters, the selection, and
// where to show a record. CViewRecordHooks answers them from the record list view.
#include <functional>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/database_session.h"
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
};

// Deletes the records (in display order) in one change: one save, then the notices, then the rows
// go in one pass.
void DeleteRecords(IRecordViewHooks& view, const std::vector<const CRecord*>& records);

class IRecordViewHooks {
public:
    virtual ~IRecordViewHooks() = default;

    // The open database and the one way it changes; the list follows the session's changes.
    virtual CDatabaseSession& Session() = 0;
    CDatabaseObj& Database() { return Session().Database(); }

    virtual ItemKey TypeFilter() const = 0;
    virtual ItemKey CategoryFilter() const = 0;
    virtual std::vector<const CRecord*> SelectedRecords() const = 0;

    // The record's row becomes the only selected one, scrolled into view (a record just made).
    virtual void SelectRecord(const CRecord& record) = 0;
    // The record's row scrolled into view, and the record shown in the details pane.
    virtual void RedrawRecordRow(const CRecord& record) = 0;
    // The details pane shows the record (none: empty).
    virtual void ShowInDetails(const CRecord* record) = 0;
    // After "Edit Types" closed: the column layout saved and the columns' titles follow the
    // labels; the selection, the rows and a find's narrowing stay.
    virtual void TypesEdited() = 0;

    // The current user's custom icons; none when there are none.
    virtual const CIconList* CustomIcons() = 0;
};

// The hooks over the record list view.
class CViewRecordHooks : public IRecordViewHooks {
public:
    explicit CViewRecordHooks(CTessarinDesktopView& view);

    CDatabaseSession& Session() override;
    ItemKey TypeFilter() const override;
    ItemKey CategoryFilter() const override;
    std::vector<const CRecord*> SelectedRecords() const override;
    void SelectRecord(const CRecord& record) override;
    void RedrawRecordRow(const CRecord& record) override;
    void ShowInDetails(const CRecord* record) override;
    void TypesEdited() override;
    const CIconList* CustomIcons() override;

private:
    CTessarinDesktopView& m_view;
};

}  // namespace tessarin
