#pragma once

// "Detail View": the record dialog that makes a new record, edits one, or starts from a copy. It
// owns a new record until OK adds it to the database; an edited record belongs to the database
// throughout and Cancel never touches it.
#include <array>
#include <memory>
#include <vector>

#include "store/record_edits.h"
#include "ui/dialog_base.h"
#include "ui/filter_combo.h"
#include "ui/lock_controller.h"
#include "ui/record_view_hooks.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tessarin {

class CCp1252LineEdit;
class CCp1252NoteEdit;
class CIconPicture;
class CMaskMarker;

class CDetailViewDialog : public CDialogBase, public CStoresAtLock {
    Q_OBJECT
public:
    enum class Mode { New, Edit, Duplicate };
    // The result of "Delete...".
    static constexpr int kDeleted = 4;

    // New: a fresh record with the list's filters as its type and category. Edit: `record`
    // itself. Duplicate: a fresh copy of `record`.
    CDetailViewDialog(const CRecordServices& services, Mode mode, const CRecord* record,
                      QWidget* parent = nullptr);
    ~CDetailViewDialog() override;

    bool IsNew() const { return m_fresh != nullptr; }
    const CRecord& Record() const { return *m_record; }
    const CRecordEdits& State() const { return m_state; }

    CFilterCombo* TypeCombo() const { return m_types; }
    CFilterCombo* CategoryCombo() const { return m_categories; }
    CCp1252LineEdit* FieldEdit(int index) const { return m_fields[index]; }
    QLabel* FieldLabel(int index) const { return m_labels[index]; }
    CCp1252NoteEdit* NoteEdit() const { return m_note; }
    QWidget* MaskMarker(int index) const;
    QPushButton* DeleteButton() const { return m_delete; }
    QCheckBox* ShowMaskedBox() const { return m_showMasked; }
    int LastFieldEdit() const { return m_lastField; }

    // The buttons.
    void accept() override;
    void reject() override;
    void Duplicate();
    void Delete();
    void Customize();
    void GeneratePassword();
    void ChooseIcon();
    // The lock closes the dialog as if OK had been pressed; the record is not touched afterwards.
    void StoreAndClose();
    void StoreAtLock() override { StoreAndClose(); }
    bool ClosedForLock() const { return m_closed; }

    // A pick in the combos, as the user makes it.
    void TypeChosen(int index);
    void CategoryChosen(int index);

Q_SIGNALS:
    // The note changed: typing counts as activity for the automatic lock.
    void activity();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Saved { Refused, Discarded, Stored };
    Saved SaveRecord();
    void ReadControls();
    // Labels, mask markers, masked edits and the icon from the state.
    void ShowState();
    // What the dialog posts itself after an editor: every control from the state.
    void EndSelChange();
    // Opens "Edit Types" or "Edit Categories" from a combo.
    void EditList(int kind);

    CRecordServices m_services;
    CDatabaseObj& m_database;
    std::unique_ptr<CRecord> m_fresh;
    CRecord* m_record;
    CRecordEdits m_state;
    int m_lastField = 0;
    bool m_closed = false;

    CFilterCombo* m_types;
    CFilterCombo* m_categories;
    std::array<QLabel*, kFieldCount> m_labels{};
    std::array<CCp1252LineEdit*, kFieldCount> m_fields{};
    std::array<CMaskMarker*, kFieldCount> m_markers{};
    CCp1252NoteEdit* m_note;
    CIconPicture* m_picture;
    QCheckBox* m_showMasked;
    QPushButton* m_delete;
};

}  // namespace tessarin
