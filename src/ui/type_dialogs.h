#pragma once

// The type and category editors: the list of types or categories ("Edit Types", "Edit
// Categories"), "Define Type" and "Define Category".
#include <optional>

#include "store/type_edits.h"
#include "ui/dialog_base.h"
#include "ui/label_mask_grid.h"
#include "ui/record_view_hooks.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tessarin {

class CCp1252LineEdit;
class CIconPicture;

// "Define Category": one name. OK refuses an empty name and "Unfiled".
class CDefineCategoryDialog : public CDialogBase {
    Q_OBJECT
public:
    CDefineCategoryDialog(CCoreContext& context, const CDatabaseObj& database,
                          const std::string& name, QWidget* parent = nullptr);
    std::string Name() const;
    void accept() override;

private:
    CCoreContext& m_context;
    const CDatabaseObj& m_database;
    CCp1252LineEdit* m_name;
};

// "Define Type": name, six labels, six mask boxes and the icon of a type. For a type already in
// the list, OK brings the change to its records and saves; a new type is only filled in.
class CDefineTypeDialog : public CDialogBase {
    Q_OBJECT
public:
    CDefineTypeDialog(const CRecordServices& services, CTypeItem& type, bool isNew,
                      QWidget* parent = nullptr);
    // What OK changed.
    const CTypeChange& Change() const { return m_change; }
    void ChooseIcon();
    void accept() override;

private:
    CTypeEdits Edits() const;

    CRecordServices m_services;
    CTypeItem& m_type;
    bool m_isNew;
    uint16_t m_icon;
    CTypeChange m_change;
    CCp1252LineEdit* m_name;
    std::optional<CLabelMaskGrid> m_grid;
    CIconPicture* m_picture;
};

// "Edit Types" and "Edit Categories": the live items by name, with "New...", "Edit...",
// "Delete..." and "Done".
class CEditTypesDialog : public CDialogBase {
    Q_OBJECT
public:
    // `kind`: kKindType or kKindCategory.
    CEditTypesDialog(const CRecordServices& services, int kind, QWidget* parent = nullptr);

    void NewItem();
    void EditItem();
    void DeleteItem();
    QListWidget& List() { return *m_list; }
    // The list entry of an item, none when it has none.
    QListWidgetItem* EntryOf(const CBaseItem* item) const;

private:
    CBaseItem* SelectedItem() const;
    QListWidgetItem* AddEntry(CBaseItem& item);
    void UpdateButtons();

    CRecordServices m_services;
    int m_kind;
    QListWidget* m_list;
    QPushButton* m_edit;
    QPushButton* m_delete;
};

}  // namespace tessarin
