#include "ui/type_dialogs.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/record_edits.h"
#include "ui/choose_icon_dialog.h"
#include "ui/cp1252_edits.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// Refuses a name with the core's message; the dialog stays with the name selected.
bool Refused(CCoreContext& context, int message, CCp1252LineEdit* name) {
    if (!message)
        return false;
    context.ShowMessage(message, {}, MessageIcon::Exclamation);
    name->selectAll();
    name->setFocus();
    return true;
}

constexpr int kEntryItem = Qt::UserRole;

CBaseItem* ItemOf(const QListWidgetItem* entry) {
    return entry ? static_cast<CBaseItem*>(entry->data(kEntryItem).value<void*>()) : nullptr;
}

}  // namespace

CDefineCategoryDialog::CDefineCategoryDialog(CCoreContext& context, const CDatabaseObj& database,
                                             const std::string& name, QWidget* parent)
    : CDialogBase(context.Strings(), str::kDefineCategoryTitle, parent),
      m_context(context),
      m_database(database),
      m_name(new CCp1252LineEdit(context.Strings(), static_cast<int>(kMaxNameLength), this)) {
    m_name->SetStoredText(Cp1252ToQString(name));
    auto* layout = new QGridLayout(this);
    layout->addWidget(Label(str::kNameLabel, m_name), 0, 0);
    layout->addWidget(m_name, 0, 1);
    layout->addWidget(NoticeLine(Strings(), this), 1, 0, 1, 2);
    layout->addWidget(OkButtons(), 2, 0, 1, 2);
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QString(20, 'n')));
    m_name->selectAll();
}

std::string CDefineCategoryDialog::Name() const {
    return QStringToCp1252(m_name->text());
}

void CDefineCategoryDialog::accept() {
    if (Refused(m_context, CheckCategoryName(m_database, Name()), m_name))
        return;
    QDialog::accept();
}

CDefineTypeDialog::CDefineTypeDialog(const CRecordServices& services, CTypeItem& type, bool isNew,
                                     QWidget* parent)
    : CDialogBase(services.context.Strings(), str::kDefineTypeTitle, parent),
      m_services(services),
      m_type(type),
      m_isNew(isNew),
      m_icon(type.m_icon),
      m_name(
          new CCp1252LineEdit(services.context.Strings(), static_cast<int>(kMaxNameLength), this)),
      m_picture(new CIconPicture(services.context.Strings(), services.view.CustomIcons(), this)) {
    const CStringTable& strings = services.context.Strings();
    auto* layout = new QGridLayout(this);
    m_name->SetStoredText(Cp1252ToQString(type.GetName()));
    layout->addWidget(Label(str::kNameLabel, m_name), 0, 0);
    layout->addWidget(m_name, 0, 1, 1, 2);
    m_grid.emplace(strings, this, layout, 1);
    const CTypeEdits stored = EditsOf(type);
    m_grid->Show(stored.labels, stored.mask);
    m_picture->SetIcon(m_icon);
    auto* icon = TextButton(str::kIconButton);
    connect(icon, &QPushButton::clicked, this, &CDefineTypeDialog::ChooseIcon);
    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(icon);
    iconRow->addWidget(m_picture);
    iconRow->addStretch();
    layout->addLayout(iconRow, kFieldCount + 1, 1, 1, 2);
    layout->addWidget(NoticeLine(strings, this), kFieldCount + 2, 0, 1, 3);
    layout->addWidget(OkButtons(), kFieldCount + 3, 0, 1, 3);
    m_name->setFocus();
}

void CDefineTypeDialog::ChooseIcon() {
    CChooseIconDialog dialog(m_services.context.Strings(), m_services.view.CustomIcons(), m_icon,
                             this);
    if (dialog.exec() == QDialog::Accepted) {
        m_icon = static_cast<uint16_t>(dialog.Icon());
        m_picture->SetIcon(m_icon);
    }
}

CTypeEdits CDefineTypeDialog::Edits() const {
    CTypeEdits edits;
    edits.name = QStringToCp1252(m_name->text());
    edits.labels = m_grid->Labels();
    edits.mask = m_grid->Mask();
    edits.icon = m_icon;
    return edits;
}

void CDefineTypeDialog::accept() {
    const CTypeEdits edits = Edits();
    CDatabaseObj& database = m_services.view.Database();
    if (Refused(m_services.context,
                CheckTypeName(database, edits.name, m_isNew ? nullptr : &m_type), m_name))
        return;
    m_change = ApplyTypeEdits(database, m_type, edits, m_isNew);
    // A new type is added by the editor; a changed one is committed here, with its records.
    if (!m_isNew && m_change.Any()) {
        std::vector<CRecord*> records;
        if (m_change.relabelled || m_change.remasked || m_change.newIcon)
            for (const auto& item : database.m_records.Items())
                if (item->m_key == m_type.m_key)
                    records.push_back(static_cast<CRecord*>(item.get()));
        CDatabaseSession::CChange change(m_services.view.Session());
        // Its notice is for a new name only, as the listener reads names.
        change.ItemChanged(kKindType, m_type, records, m_change.renamed);
        change.Commit();
    }
    QDialog::accept();
}

CEditTypesDialog::CEditTypesDialog(const CRecordServices& services, int kind, QWidget* parent)
    : CDialogBase(services.context.Strings(),
                  kind == kKindType ? str::kEditTypesTitle : str::kEditCategoriesTitle, parent),
      m_services(services),
      m_kind(kind),
      m_list(new QListWidget(this)),
      m_edit(TextButton(str::kEditButton)),
      m_delete(TextButton(str::kDeleteButton)) {
    const CStringTable& strings = services.context.Strings();
    const bool types = kind == kKindType;
    m_list->setAccessibleName(
        UiText(strings, types ? str::kTypesListName : str::kCategoriesListName));
    for (const auto& item : services.view.Database().ListOf(kind).Items())
        if (!item->m_deleted && item->m_key != ZeroKey)
            AddEntry(*item);
    auto* add = TextButton(str::kNewButton);
    auto* done = TextButton(str::kDoneButton);
    done->setDefault(true);
    connect(add, &QPushButton::clicked, this, &CEditTypesDialog::NewItem);
    connect(m_edit, &QPushButton::clicked, this, &CEditTypesDialog::EditItem);
    connect(m_delete, &QPushButton::clicked, this, &CEditTypesDialog::DeleteItem);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CEditTypesDialog::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CEditTypesDialog::EditItem);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add, m_edit, m_delete, done})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    UpdateButtons();
}

QListWidgetItem* CEditTypesDialog::AddEntry(CBaseItem& item) {
    // By name as the locale collates it, without case; among equal names the newer goes last.
    const ICollation& collation = m_services.context.Collation();
    int row = 0;
    while (row < m_list->count() &&
           collation.Compare(ItemOf(m_list->item(row))->GetName(), item.GetName(), false) <= 0)
        ++row;
    auto* entry = new QListWidgetItem(Cp1252ToQString(item.GetName()));
    entry->setData(kEntryItem, QVariant::fromValue(static_cast<void*>(&item)));
    m_list->insertItem(row, entry);
    return entry;
}

QListWidgetItem* CEditTypesDialog::EntryOf(const CBaseItem* item) const {
    for (int i = 0; i < m_list->count(); ++i)
        if (ItemOf(m_list->item(i)) == item)
            return m_list->item(i);
    return nullptr;
}

CBaseItem* CEditTypesDialog::SelectedItem() const {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    return selected.isEmpty() ? nullptr : ItemOf(selected.front());
}

void CEditTypesDialog::UpdateButtons() {
    const bool any = SelectedItem() != nullptr;
    m_edit->setEnabled(any);
    m_delete->setEnabled(any);
}

void CEditTypesDialog::NewItem() {
    CDatabaseObj& database = m_services.view.Database();
    CItemList& list = database.ListOf(m_kind);
    std::unique_ptr<CBaseItem> fresh = list.CreateItem();
    if (m_kind == kKindType) {
        CDefineTypeDialog dialog(m_services, static_cast<CTypeItem&>(*fresh), true, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    } else {
        CDefineCategoryDialog dialog(m_services.context, database, {}, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        static_cast<CCategoryItem&>(*fresh).SetName(dialog.Name());
    }
    CDatabaseSession::CChange change(m_services.view.Session());
    CBaseItem& added = change.AddItem(m_kind, std::move(fresh));
    change.Commit();
    m_list->setCurrentItem(AddEntry(added));
}

void CEditTypesDialog::EditItem() {
    CBaseItem* item = SelectedItem();
    if (!item)
        return;
    const std::string before(item->GetName());
    if (m_kind == kKindType) {
        CDefineTypeDialog dialog(m_services, static_cast<CTypeItem&>(*item), false, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    } else {
        CDefineCategoryDialog dialog(m_services.context, m_services.view.Database(), before, this);
        if (dialog.exec() != QDialog::Accepted || dialog.Name() == before)
            return;
        static_cast<CCategoryItem&>(*item).SetName(dialog.Name());
        item->m_modified = true;
        CDatabaseSession::CChange change(m_services.view.Session());
        change.ItemChanged(m_kind, *item);
        change.Commit();
    }
    if (item->GetName() == before)
        return;
    // The entry goes to its new place by name.
    delete EntryOf(item);
    m_list->setCurrentItem(AddEntry(*item));
}

void CEditTypesDialog::DeleteItem() {
    CBaseItem* item = SelectedItem();
    if (!item)
        return;
    // A lock while the question is open closes it: the answer is then No.
    if (m_services.context.ShowMessage(str::kDeleteTypeConfirm, {}, MessageIcon::Question,
                                       MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    delete EntryOf(item);
    CDatabaseSession::CChange change(m_services.view.Session());
    change.RemoveItem(m_kind, *item);
    change.Commit();
    UpdateButtons();
}

}  // namespace tessarin
