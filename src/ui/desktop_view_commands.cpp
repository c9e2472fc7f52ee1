// The record view's commands: the shortcut menu with its Type and Category popups, the choosers,
// sorting and column widths, Show Columns, the details pane, masking, the row colour and the font.
#include <QAction>
#include <QColorDialog>
#include <QFontDialog>
#include <QMenu>
#include <QPushButton>

#include "listing/detail_links.h"
#include "platform/qt_text.h"
#include "render/list_font.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"
#include "ui/change_follower.h"
#include "ui/column_setup.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/show_columns_dialog.h"
#include "ui/ui_text.h"
#include "ui/view_settings.h"

namespace tessarin {

namespace {

// The n-th item of the list that is not deleted, in list order.
CBaseItem* NthLiveItem(const CItemList& list, size_t n) {
    for (const auto& item : list.Items())
        if (!item->m_deleted && n-- == 0)
            return item.get();
    return nullptr;
}

}  // namespace

void CTessarinDesktopView::AttachCommands(CCommandTable& commands) {
    m_commands = &commands;
    // The record commands themselves are the record dialogs' and the clipboard's; what they need
    // of the list's selection is the table's, asked here.
    commands.SetSelectionSource([this] {
        if (!m_list->selectionModel()->hasSelection())
            return CCommandTable::Selection::None;
        return GetSelectedRecord() ? CCommandTable::Selection::One
                                   : CCommandTable::Selection::Several;
    });
    commands.SetHandler(cmd::kSearch, [this] { FocusSearch(); });
    commands.SetHandler(cmd::kOpenUrl, [this] { OpenFirstLink(); });
    commands.SetEnableRule(cmd::kOpenUrl, [this] { return !FirstLink().empty(); });
    commands.SetHandler(cmd::kShowColumns, [this] { ShowColumnsCommand(); });
    commands.SetHandler(cmd::kShowDetails, [this] { ToggleDetails(); });
    commands.SetHandler(cmd::kUnmask, [this] { ToggleMask(); });
    commands.SetHandler(cmd::kRowColor, [this] { RowColorCommand(); });
    commands.SetHandler(cmd::kSetFont, [this] { SetFontCommand(); });
    commands.SetHandler(cmd::kSetTypeUnfiled, [this] { SetTypeOfSelection(std::nullopt); });
    commands.SetHandler(cmd::kSetCategoryUnfiled, [this] { SetCategoryOfSelection(std::nullopt); });
    commands.SetRangeHandler(cmd::kTypeCommands, [this](uint32_t n) { SetTypeOfSelection(n); });
    commands.SetRangeHandler(cmd::kCategoryCommands,
                             [this](uint32_t n) { SetCategoryOfSelection(n); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = BuildContextMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_list->viewport()->mapToGlobal(at));
    });
    UpdateCommandTexts();
}

void CTessarinDesktopView::RunCommand(uint32_t id) {
    if (m_commands)
        m_commands->Run(id);
}

void CTessarinDesktopView::UpdateCommandTexts() {
    const CStringTable& strings = m_context.Strings();
    m_maskButton->setText(UiText(strings, m_style.masking ? str::kUnmaskButton : str::kMaskButton));
    if (!m_commands)
        return;
    m_commands->Action(cmd::kShowDetails)
        ->setText(UiText(strings, m_showDetails ? str::kHideDetails : str::kShowDetails));
    m_commands->Action(cmd::kUnmask)
        ->setText(UiText(strings, m_style.masking ? str::kUnmaskMenuText : str::kMaskMenuText));
}

// --- The shortcut menu ---

QMenu* CTessarinDesktopView::BuildContextMenu(QWidget* parent) {
    if (!m_commands)
        return new QMenu(parent);
    QMenu* menu = m_commands->BuildContextMenu(parent);
    // Check marks show the keys of the one selected record; with none or several, nothing.
    const CRecord* single = GetSelectedRecord();
    const struct {
        cmd::Popup popup;
        const CItemList& list;
        ItemKey checked;
        int editText;
        uint32_t editCommand;
        uint32_t firstCommand;
    } popups[] = {
        {cmd::Popup::Type, Database().m_types, single ? single->GetTypeKey() : AnyKey,
         str::kEditTypesEntry, cmd::kEditTypes, cmd::kFirstType},
        {cmd::Popup::Category, Database().m_categories, single ? single->m_categoryKey : AnyKey,
         str::kEditCategoriesEntry, cmd::kEditCategories, cmd::kFirstCategory},
    };
    for (const auto& p : popups) {
        QMenu* popup = CCommandTable::SubmenuOf(menu, p.popup);
        if (!popup)
            continue;
        if (QAction* unfiled = popup->actions().value(0)) {
            unfiled->setCheckable(true);
            unfiled->setChecked(p.checked.IsZero());
        }
        uint32_t n = 0;
        for (const auto& item : p.list.Items()) {
            if (item->m_deleted)
                continue;
            QAction* action =
                m_commands->AddItem(popup, p.firstCommand + n++, Cp1252ToQString(item->GetName()));
            action->setCheckable(true);
            action->setChecked(item->m_key == p.checked);
        }
        m_commands->AddItem(popup, p.editCommand, UiText(m_context.Strings(), p.editText));
    }
    // "Copy <label>" for each field of the one selected record that holds a value.
    if (single) {
        bool first = true;
        for (int field = 0; field < kFieldCount; ++field) {
            if (single->GetValue(field).empty())
                continue;
            if (first)
                menu->addSeparator();
            first = false;
            // The record's own label, else its type's, else the field's usual name.
            std::string label(single->GetCustomLabel(field));
            if (label.empty())
                label = Database().m_types.LabelOf(single->GetTypeKey(), field);
            if (!label.empty() && label.back() == ':')
                label.pop_back();
            // An '&' of the label is shown, not taken as the item's mnemonic.
            for (size_t at = label.find('&'); at != std::string::npos; at = label.find('&', at + 2))
                label.insert(at, 1, '&');
            QAction* copy =
                menu->addAction(UiText(m_context.Strings(), str::kCopyLabelItem, {label}));
            const uint32_t id = cmd::kCopyField1 + static_cast<uint32_t>(field);
            connect(
                copy, &QAction::triggered, this, [this, id] { RunCommand(id); },
                Qt::QueuedConnection);
        }
    }
    return menu;
}

std::string CTessarinDesktopView::FirstLink() const {
    const CRecord* record = GetSelectedRecord();
    if (!record)
        return {};
    // As the pane shows it: a masked value is no link while it is masked.
    for (int field = 0; field < kFieldCount; ++field)
        if (const std::string_view shown = record->DisplayValue(field, m_style.masking);
            IsLink(shown))
            return LinkTarget(shown);
    return {};
}

void CTessarinDesktopView::OpenFirstLink() {
    const std::string target = FirstLink();
    if (!target.empty())
        Q_EMIT openLink(Cp1252ToQString(target));
}

void CTessarinDesktopView::SetTypeOfSelection(std::optional<size_t> typeIndex) {
    const CTypeItem* type = nullptr;
    if (typeIndex) {
        type = static_cast<const CTypeItem*>(NthLiveItem(Database().m_types, *typeIndex));
        if (!type)
            return;
    }
    ApplyToSelection([type](CRecord& record) { record.ApplyType(type); });
}

void CTessarinDesktopView::SetCategoryOfSelection(std::optional<size_t> categoryIndex) {
    ItemKey key = ZeroKey;
    if (categoryIndex) {
        const CBaseItem* category = NthLiveItem(Database().m_categories, *categoryIndex);
        if (!category)
            return;
        key = category->m_key;
    }
    ApplyToSelection([key](CRecord& record) { record.m_categoryKey = key; });
}

void CTessarinDesktopView::ApplyToSelection(const std::function<void(CRecord&)>& change) {
    const std::vector<CRecord*> records = m_rows->Selected();
    if (records.empty())
        return;
    // One change for all of them: one save, then the notices, then the rows painted once. The rows
    // stay, even those the filters would no longer list, until the next refill.
    CDatabaseSession::CChange commit(*m_session);
    for (CRecord* record : records) {
        change(*record);
        record->m_modified = true;
        commit.RecordChanged(*record);
    }
    commit.Commit();
    ShowInDetails(GetSelectedRecord());
}

void CTessarinDesktopView::TypesEdited() {
    m_columns->Save();
    if (m_listModel.TypeFilter() != AnyKey)
        m_columns->Rebuild(true);
    m_tableModel->TitlesChanged();
    RepaintRows();
}

// --- Choosers, sorting and columns ---

void CTessarinDesktopView::SelectTypeEntry(int index) {
    const ItemKey key = m_typeCombo->KeyAt(index);
    if (key == EditListKey) {
        m_typeCombo->SelectKey(m_listModel.TypeFilter());
        RunCommand(cmd::kEditTypes);
        return;
    }
    m_typeCombo->setCurrentIndex(index);
    m_columns->Save();
    m_listModel.SetTypeFilter(key);
    m_columns->Rebuild(true);
    RefillList();
    ShowInDetails(nullptr);
}

void CTessarinDesktopView::SelectCategoryEntry(int index) {
    const ItemKey key = m_categoryCombo->KeyAt(index);
    if (key == EditListKey) {
        m_categoryCombo->SelectKey(m_listModel.CategoryFilter());
        RunCommand(cmd::kEditCategories);
        return;
    }
    m_categoryCombo->setCurrentIndex(index);
    m_listModel.SetCategoryFilter(key);
    RefillList();
    ShowInDetails(nullptr);
}

void CTessarinDesktopView::SortByColumn(int column) {
    if (column < 0 || column >= kColumnCount)
        return;
    const CRecordRows::CMemo memo = m_rows->Remember();
    m_tableModel->SortByColumn(column);
    m_list->ApplyColumnWidths();
    m_list->ShowSortIndicator(m_listModel.Sort());
    m_rows->Restore(memo);
}

void CTessarinDesktopView::ShowColumnsCommand() {
    CShowColumnsDialog dialog(m_context.Strings(), m_columns->Layout(), m_columns->FieldTitles(),
                              this);
    const bool accepted =
        m_runShowColumns ? m_runShowColumns(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted)
        return;
    const bool everyType =
        m_listModel.TypeFilter() == AnyKey &&
        m_context.ShowMessage(str::kApplyColumnsToAllViews, {}, MessageIcon::Question,
                              MessageButtons::YesNoDefaultNo) == MessageAnswer::Yes;
    m_columns->Take(dialog.Layout(), everyType);
}

// --- Details, masking, colour and font ---

void CTessarinDesktopView::ToggleDetails() {
    m_showDetails = !m_showDetails;
    ApplyGeometry();
    ShowInDetails(GetSelectedRecord());
    m_list->setFocus();
    UpdateCommandTexts();
}

void CTessarinDesktopView::DragSplitterTo(int x) {
    const std::optional<int> width = PaneWidthForDrag(x, this->width());
    if (!width)
        return;
    m_paneWidth = *width;
    ApplyGeometry();
}

void CTessarinDesktopView::ToggleMask() {
    m_style.masking = !m_style.masking;
    m_listModel.SetUnmasked(!m_style.masking);
    UpdateCommandTexts();
    m_tableModel->CellsChanged();
    ShowInDetails(m_pane->Record() ? GetSelectedRecord() : nullptr);
    update();
}

void CTessarinDesktopView::RowColorCommand() {
    const std::optional<QColor> chosen =
        m_chooseColor ? m_chooseColor(m_style.rowColor) : [&]() -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(
            m_style.rowColor, this, UiText(m_context.Strings(), str::kRowColorTitle));
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    }();
    if (!chosen)
        return;
    m_settings->WriteRowColor(*chosen);
    m_style.rowColor = chosen->toRgb();
    m_list->viewport()->update();
    m_pane->update();
}

void CTessarinDesktopView::SetFontCommand() {
    const std::optional<QFont> chosen =
        m_chooseFont ? m_chooseFont(m_style.fonts.list) : [&]() -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, m_style.fonts.list, this,
                                                UiText(m_context.Strings(), str::kFontTitle));
        return ok ? std::optional<QFont>(font) : std::nullopt;
    }();
    if (!chosen)
        return;
    m_settings->WriteFont(*chosen);
    ApplyListFont(*chosen);
    ApplyGeometry();
}

// --- Users and preferences ---

void CTessarinDesktopView::SaveListSettings() {
    m_columns->Save();
    WritePreferences();
    ClearRows();
}

void CTessarinDesktopView::RebuildList(const std::string& folder) {
    // The rows and the details pane may still point into the records read before.
    ClearRows();
    m_folder = folder;
    ReadViewPreferences();
    LoadCustomIcons();
    m_follower->Watch(Database().m_path);
    m_opened = true;
    SetFilters(AnyKey, AnyKey);
    UpdateCommandTexts();
}

void CTessarinDesktopView::MovedTo(const std::string& folder) {
    m_folder = folder;
    m_follower->Watch(Database().m_path);
    LoadCustomIcons();
}

}  // namespace tessarin
