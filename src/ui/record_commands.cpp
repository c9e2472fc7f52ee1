#include "ui/record_commands.h"

#include <QApplication>

#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/record_edits.h"
#include "ui/choose_icon_dialog.h"
#include "ui/command_table.h"
#include "ui/customize_record_dialog.h"
#include "ui/desktop_view.h"
#include "ui/detail_view_dialog.h"
#include "ui/generate_password_dialog.h"
#include "ui/type_dialogs.h"

namespace tessarin {

namespace {

// After a dialog of these commands closes, the automatic lock counts from then on.
class CActivityScope {
public:
    explicit CActivityScope(CRecordCommands& commands) : m_commands(commands) {}
    ~CActivityScope() { Q_EMIT m_commands.activity(); }
    CActivityScope(const CActivityScope&) = delete;
    CActivityScope& operator=(const CActivityScope&) = delete;

private:
    CRecordCommands& m_commands;
};

}  // namespace

CRecordCommands::CRecordCommands(CCoreContext& context, CPreferences& preferences,
                                 CTessarinDesktopView& view, CCommandTable& commands,
                                 QWidget* window)
    : QObject(window),
      m_context(context),
      m_preferences(preferences),
      m_viewHooks(std::make_unique<CViewRecordHooks>(view)),
      m_hooks(m_viewHooks.get()),
      m_commands(commands),
      m_window(window) {
    commands.SetHandler(cmd::kNewItem, [this] { NewItem(); });
    commands.SetHandler(cmd::kEditItem, [this] { EditItem(); });
    commands.SetHandler(cmd::kDeleteItem, [this] { DeleteItems(); });
    commands.SetHandler(cmd::kDuplicateItem, [this] { DuplicateItem(); });
    commands.SetHandler(cmd::kCustomizeFields, [this] { CustomizeFields(); });
    commands.SetHandler(cmd::kEditTypes, [this] { EditTypes(); });
    commands.SetHandler(cmd::kEditCategories, [this] { EditCategories(); });
    // What Edit, Duplicate, Customize and Delete need of the selection is the table's.
}

CRecordCommands::~CRecordCommands() = default;

void CRecordCommands::SetViewHooks(IRecordViewHooks* hooks) {
    m_hooks = hooks ? hooks : m_viewHooks.get();
}

CRecordServices CRecordCommands::Services() {
    return {m_context, m_preferences, *m_hooks};
}

const CRecord* CRecordCommands::SelectedRecord() const {
    const std::vector<const CRecord*> selected = m_hooks->SelectedRecords();
    return selected.size() == 1 ? selected.front() : nullptr;
}

void CRecordCommands::RunRecordDialog(int mode, const CRecord* record) {
    CActivityScope scope(*this);
    CDetailViewDialog dialog(Services(), static_cast<CDetailViewDialog::Mode>(mode), record,
                             m_window);
    connect(&dialog, &CDetailViewDialog::activity, this, &CRecordCommands::activity);
    dialog.exec();
}

void CRecordCommands::NewItem() {
    RunRecordDialog(static_cast<int>(CDetailViewDialog::Mode::New), nullptr);
}

void CRecordCommands::EditItem() {
    if (const CRecord* record = SelectedRecord())
        RunRecordDialog(static_cast<int>(CDetailViewDialog::Mode::Edit), record);
}

void CRecordCommands::DuplicateItem() {
    if (const CRecord* record = SelectedRecord())
        RunRecordDialog(static_cast<int>(CDetailViewDialog::Mode::Duplicate), record);
}

void CRecordCommands::DeleteItems() {
    std::vector<const CRecord*> selected = m_hooks->SelectedRecords();
    if (selected.empty())
        return;
    CActivityScope scope(*this);
    // A lock while the question is open closes it: the answer is then No.
    if (m_context.ShowMessage(str::kDeleteItemsConfirm, {}, MessageIcon::Question,
                              MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    DeleteRecords(*m_hooks, selected);
}

void CRecordCommands::CustomizeFields() {
    const CRecord* selected = SelectedRecord();
    if (!selected)
        return;
    auto* record = const_cast<CRecord*>(selected);
    CDatabaseObj& database = m_hooks->Database();
    CLabelTexts labels;
    for (int i = 0; i < kFieldCount; ++i)
        labels[i] = database.LabelFor(*record, i, false);
    const ItemKey type = record->GetTypeKey();
    {
        CActivityScope scope(*this);
        CCustomizeRecordDialog dialog(m_context.Strings(), labels, record->m_maskBits,
                                      database.m_types.LabelsOf(type),
                                      database.m_types.MaskOf(type), m_window);
        if (dialog.exec() != QDialog::Accepted)
            return;
        labels = dialog.Labels();
        ApplyCustomLabels(*record, labels, dialog.Mask());
    }
    // Saved at once, like every other change.
    CDatabaseSession::CChange change(m_hooks->Session());
    change.RecordChanged(*record);
    change.Commit();
    m_hooks->ShowInDetails(record);
    m_hooks->RedrawRecordRow(*record);
}

void CRecordCommands::EditList(int kind) {
    {
        CActivityScope scope(*this);
        CEditTypesDialog dialog(Services(), kind, m_window);
        dialog.exec();
    }
    if (kind == kKindType)
        m_hooks->TypesEdited();
}

void CRecordCommands::EditTypes() {
    EditList(kKindType);
}

void CRecordCommands::EditCategories() {
    EditList(kKindCategory);
}

}  // namespace tessarin
