#pragma once

// The record commands of the main window: New, Edit, Delete, Duplicate, Customize Fields, Edit
// Types and Edit Categories, bound to the command table, with the dialogs they open.
#include <functional>
#include <memory>

#include <QObject>

#include "ui/record_view_hooks.h"

class QWidget;

namespace tessarin {

class CCommandTable;
class CDetailViewDialog;

class CRecordCommands : public QObject {
    Q_OBJECT
public:
    // Binds the commands to `commands`; the dialogs open over `window`, which owns the object. The
    // hooks serve the view's own operations until SetViewHooks gives the record list's.
    CRecordCommands(CCoreContext& context, CPreferences& preferences, CTessarinDesktopView& view,
                    CCommandTable& commands, QWidget* window);
    ~CRecordCommands() override;

    // The record list's own hooks in place of the view's; the commands do not own them.
    void SetViewHooks(IRecordViewHooks* hooks);
    IRecordViewHooks& ViewHooks() { return *m_hooks; }

    void NewItem();
    void EditItem();
    void DeleteItems();
    void DuplicateItem();
    void CustomizeFields();
    void EditTypes();
    void EditCategories();

    // The record of the single selected row, none otherwise.
    const CRecord* SelectedRecord() const;

Q_SIGNALS:
    // A dialog of these commands closed, or the record dialog's note changed: the automatic lock
    // counts from now on.
    void activity();

private:
    void RunRecordDialog(int mode, const CRecord* record);
    void EditList(int kind);
    CRecordServices Services();

    CCoreContext& m_context;
    CPreferences& m_preferences;
    std::unique_ptr<CViewRecordHooks> m_viewHooks;
    IRecordViewHooks* m_hooks;
    CCommandTable& m_commands;
    QWidget* m_window;
};

}  // namespace tessarin
