#include "ui/desktop_view.h"

#include <algorithm>
#include <unordered_set>

#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include "base/codepage.h"
#include "listing/filter_entries.h"
#include "platform/qt_text.h"
#include "render/list_font.h"
#include "resources/command_table_data.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "store/preferences.h"
#include "ui/command_table.h"
#include "ui/database_watch.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

inline constexpr int kTypeDropDownHeight = 350;
inline constexpr int kCategoryDropDownHeight = 200;

}  // namespace

CTessarinDesktopView::CTessarinDesktopView(CCoreContext& context, CPreferences& preferences,
                                           QWidget* parent)
    : QWidget(parent),
      m_context(context),
      m_preferences(preferences),
      m_session(std::make_unique<CDatabaseSession>(context)),
      m_listModel(m_session->Database(), context.Locale()) {
    const CStringTable& strings = context.Strings();
    m_style.rowColor = DefaultRowColor(palette());
    m_style.customIcons = &m_customIcons;
    m_style.fonts = CListFonts::FromListFont(UiFontFrom(font()));

    BuildStrips();
    m_tableModel = new CRecordTableModel(m_listModel, strings, this);
    m_list = new CRecordListView(*m_tableModel, m_style, this);
    m_list->setAccessibleName(UiText(strings, str::kRecordListName));
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pane = new CDetailsPane(Database(), m_style, strings, this);
    m_watch = new CDatabaseWatch(context, this);
    m_watch->m_onForeignChange = [this] { return OnForeignChange(); };
    m_session->AddObserver(this);
    ApplyListFont(m_style.fonts.list);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTessarinDesktopView::SelectionChanged);
    connect(m_list, &CRecordListView::columnClicked, this, &CTessarinDesktopView::SortByColumn);
    connect(m_list, &CRecordListView::columnWidthDragged, this,
            &CTessarinDesktopView::StoreColumnWidth);
    connect(m_list, &CRecordListView::bestFitAsked, this, &CTessarinDesktopView::BestFit);
    connect(m_list, &CRecordListView::rowDoubleClicked, this,
            [this] { RunCommand(cmd::kEditItem); });
    connect(m_pane, &CDetailsPane::editRequested, this, [this] { RunCommand(cmd::kEditItem); });
    connect(m_pane, &CDetailsPane::copyRequested, this, &CTessarinDesktopView::RunCommand);
    connect(m_pane, &CDetailsPane::splitterDragged, this, &CTessarinDesktopView::DragSplitterTo);

    m_deferTimer.setSingleShot(true);
    m_deferTimer.setInterval(kDeferredNoticeMs);
    connect(&m_deferTimer, &QTimer::timeout, this, &CTessarinDesktopView::FlushDeferredNotices);

    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_list);
    // Mouse movements over the view count as activity, whether a button is down or not.
    setMouseTracking(true);
    m_list->setMouseTracking(true);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_pane->installEventFilter(this);
    installEventFilter(this);
    ApplyGeometry();
}

CTessarinDesktopView::~CTessarinDesktopView() {
    m_session->RemoveObserver(this);
    WritePreferences();
    // The rows and the pane let go of the records before the database goes.
    ClearRows();
}

void CTessarinDesktopView::BuildStrips() {
    const CStringTable& strings = m_context.Strings();
    const QFont uiFont = UiFontFrom(font());
    const auto label = [&](int id) {
        auto* widget = new QLabel(UiText(strings, id), this);
        widget->setFont(uiFont);
        return widget;
    };
    const auto button = [&](int id, uint32_t command) {
        auto* widget = new QPushButton(UiText(strings, id), this);
        widget->setFont(uiFont);
        widget->setAutoDefault(false);
        connect(widget, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
        return widget;
    };
    m_typesLabel = label(str::kTypesLabel);
    m_typeCombo = new CFilterCombo(this);
    m_categoryLabel = label(str::kCategoryLabel);
    m_categoryCombo = new CFilterCombo(this);
    for (auto [text, combo] :
         {std::pair{m_typesLabel, m_typeCombo}, std::pair{m_categoryLabel, m_categoryCombo}}) {
        combo->setFont(uiFont);
        text->setBuddy(combo);
        combo->setAccessibleName(AccessibleNameOf(text->text()));
    }
    m_typeCombo->SetDropDownHeight(kTypeDropDownHeight);
    m_categoryCombo->SetDropDownHeight(kCategoryDropDownHeight);
    connect(m_typeCombo, &QComboBox::activated, this, &CTessarinDesktopView::SelectTypeEntry);
    connect(m_categoryCombo, &QComboBox::activated, this,
            &CTessarinDesktopView::SelectCategoryEntry);
    m_searchField = new QLineEdit(this);
    m_searchField->setFont(uiFont);
    m_searchField->setPlaceholderText(UiText(strings, str::kSearchPlaceholder));
    m_searchField->setAccessibleName(UiText(strings, str::kSearchName));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->installEventFilter(this);
    connect(m_searchField, &QLineEdit::textChanged, this, &CTessarinDesktopView::Search);
    m_maskButton = button(str::kUnmaskButton, cmd::kUnmask);
    m_newButton = button(str::kNewButton, cmd::kNewItem);
    m_editButton = button(str::kEditButton, cmd::kEditItem);
    m_deleteButton = button(str::kDeleteButton, cmd::kDeleteItem);
    m_duplicateButton = button(str::kDuplicateButton, cmd::kDuplicateItem);
    m_syncButton = button(str::kSyncButton, cmd::kSync);
    // The button syncs also while the menu's command is disabled (no device): it says why.
    disconnect(m_syncButton, &QPushButton::clicked, this, nullptr);
    connect(m_syncButton, &QPushButton::clicked, this, [this] {
        if (m_syncButtonAction)
            m_syncButtonAction();
        else
            RunCommand(cmd::kSync);
    });
    m_syncButton->hide();
}

void CTessarinDesktopView::ApplyGeometry() {
    m_geometry =
        ViewGeometry(size(), m_paneWidth, m_showDetails, m_typeCombo->sizeHint().height(),
                     m_typesLabel->sizeHint().width(), m_categoryLabel->sizeHint().width());
    const CViewGeometry& g = m_geometry;
    m_typesLabel->setGeometry(g.typesLabel);
    m_typeCombo->setGeometry(g.typeCombo);
    m_categoryLabel->setGeometry(g.categoryLabel);
    m_categoryCombo->setGeometry(g.categoryCombo);
    m_maskButton->setGeometry(g.maskButton);
    m_searchField->setGeometry(g.searchField);
    m_searchField->setVisible(!g.searchField.isEmpty());
    m_list->setGeometry(g.list);
    m_pane->setVisible(m_showDetails);
    if (m_showDetails)
        m_pane->setGeometry(g.pane);
    m_newButton->setGeometry(g.newButton);
    m_editButton->setGeometry(g.editButton);
    m_deleteButton->setGeometry(g.deleteButton);
    m_duplicateButton->setGeometry(g.duplicateButton);
    m_syncButton->setGeometry(g.syncButton);
    m_syncButton->setVisible(m_syncShown);
    update();
}

void CTessarinDesktopView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ApplyGeometry();
}

void CTessarinDesktopView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A frame just outside the list.
    QPainter painter(this);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(m_geometry.list.adjusted(-1, -1, 0, 0));
}

void CTessarinDesktopView::SetSyncButtonShown(bool shown) {
    m_syncShown = shown;
    m_syncButton->setVisible(shown);
}

void CTessarinDesktopView::ReadViewPreferences() {
    m_listModel.SetSort(CSortSetting::FromInfo(m_preferences.ReadWord(Pref::SortInfo)));
    m_showDetails = m_preferences.ReadNumber(Pref::ShowingDetails) != 0;
    m_paneWidth = static_cast<int>(m_preferences.ReadNumber(Pref::DetailsPaneWidth));
    m_style.rowColor = m_preferences.ReadBytes(Pref::RowColor).found
                           ? ColorFromWord(m_preferences.ReadWord(Pref::RowColor))
                           : DefaultRowColor(palette());
    const QFont uiFont = UiFontFrom(font());
    const std::optional<CLogFont> stored = m_preferences.ReadFont();
    ApplyListFont(stored ? FontFromLogFont(*stored, uiFont) : uiFont);
    ApplyGeometry();
}

void CTessarinDesktopView::ApplyListFont(const QFont& font) {
    m_style.fonts = CListFonts::FromListFont(font);
    m_list->setFont(font);
    m_list->SetRowHeight(m_style.fonts.rowHeight);
    m_pane->ShowRecord(m_pane->Record());
}

void CTessarinDesktopView::LoadCustomIcons() {
    m_customIcons.ReadIconFile(m_folder, Database().m_handheldName);
}

bool CTessarinDesktopView::ReportLoad(const CStoreResult& result) {
    if (result.Ok())
        return true;
    if (result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return false;
    }
    // A load whose upgrade save failed has read everything and spoken already.
    if (Database().m_loadState == LoadState::Loaded)
        return true;
    if (!result.message)
        m_context.ShowMessage(str::kPlainText, {ResultText(result, m_context.Strings())},
                              MessageIcon::Error);
    return false;
}

bool CTessarinDesktopView::OpenDatabase(const std::string& folder) {
    ReadViewPreferences();
    ClearRows();
    m_folder = folder;
    const bool ok = ReportLoad(m_session->Open(folder));
    LoadCustomIcons();
    m_watch->Watch(Database().m_path);
    // A filter that names no item of the database (deleted ones count) shows everything.
    SetFilters(
        CheckedFilter(Database().m_types, m_preferences.ReadKey(Pref::CurrentType)),
        CheckedFilter(Database().m_categories, m_preferences.ReadKey(Pref::CurrentCategoryId)));
    m_opened = true;
    UpdateCommandTexts();
    if (RowCount() > 0)
        SelectRowNumbers({0}, 0);
    return ok;
}

bool CTessarinDesktopView::ReloadUser() {
    ClearRows();
    const CStoreResult result = m_session->Reload();
    const bool ok = ReportLoad(result);
    if (result.code != StoreCode::KeyChanged) {
        LoadCustomIcons();
        m_watch->TakeFileAsKnown();
    }
    SetFilters(AnyKey, AnyKey);
    return ok;
}

bool CTessarinDesktopView::SaveNow() {
    // A failure is passed on by SessionSaveFailed.
    return m_session->SaveNow().Ok();
}

void CTessarinDesktopView::ClearRows() {
    m_tableModel->Clear();
    ShowInDetails(nullptr);
    TellCounts();
}

void CTessarinDesktopView::FillCombos() {
    const ICollation& collation = m_context.Collation();
    m_typeCombo->Fill(Database().m_types, collation);
    m_categoryCombo->Fill(Database().m_categories, collation);
    m_typeCombo->SelectKey(m_listModel.TypeFilter());
    m_categoryCombo->SelectKey(m_listModel.CategoryFilter());
}

void CTessarinDesktopView::SetFilters(const ItemKey& type, const ItemKey& category) {
    m_listModel.SetTypeFilter(type);
    m_listModel.SetCategoryFilter(category);
    FillCombos();
    RebuildColumns(true);
    RefillList();
}

void CTessarinDesktopView::RefillList() {
    if (IsLocked()) {
        ClearRows();
        return;
    }
    m_tableModel->Refill();
    ShowInDetails(GetSelectedRecord());
    TellCounts();
}

void CTessarinDesktopView::Search(const QString& text) {
    if (IsLocked())
        return;
    const QByteArray utf8 = text.toUtf8();
    std::string bytes;
    // A character Windows-1252 cannot hold is in no record: such a text finds nothing (a zero
    // byte is never stored).
    if (!Utf8ToCp1252(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), bytes))
        bytes = std::string(1, '\0');
    const bool began = m_listModel.SearchText().empty() && !bytes.empty();
    if (began) {
        m_beforeSearch = RememberSelection();
        m_selectedWhileSearching = false;
    }
    // The selected records stay selected where they are still listed. Cleared, the search gives
    // back the selection it found, unless the user chose records among what it listed.
    const CSelectionMemo memo =
        bytes.empty() && !m_selectedWhileSearching ? m_beforeSearch : RememberSelection();
    {
        const QScopedValueRollback searching(m_searching, true);
        m_tableModel->SetSearch(bytes);
        RestoreSelection(memo);
    }
    if (bytes.empty())
        m_beforeSearch = {};
    ShowInDetails(GetSelectedRecord());
    if (m_commands)
        m_commands->UpdateEnabled();
    TellCounts();
}

void CTessarinDesktopView::ForgetSearch() {
    const QSignalBlocker quiet(m_searchField);
    m_searchField->clear();
    m_tableModel->SetSearch({});
    m_beforeSearch = {};
}

void CTessarinDesktopView::FocusSearch() {
    m_searchField->setFocus(Qt::ShortcutFocusReason);
    m_searchField->selectAll();
}

void CTessarinDesktopView::TellCounts() {
    Q_EMIT countsChanged(RowCount(), static_cast<int>(Database().CountLive(kKindRecord)));
}

void CTessarinDesktopView::RefillFiltered(std::string_view text, bool caseSensitive,
                                          bool wholeWord) {
    if (IsLocked())
        return;
    m_tableModel->RefillFiltered(text, caseSensitive, wholeWord);
    ShowInDetails(nullptr);
    TellCounts();
}

bool CTessarinDesktopView::IsNarrowed() const {
    return m_listModel.IsNarrowed();
}

void CTessarinDesktopView::RefillFilterCombos() {
    const auto kept = [](const CItemList& list, const ItemKey& key) {
        if (key == AnyKey || key.IsZero())
            return key;
        const CBaseItem* item = list.FindByKey(key);
        return item && !item->m_deleted ? key : AnyKey;
    };
    m_listModel.SetTypeFilter(kept(Database().m_types, m_listModel.TypeFilter()));
    m_listModel.SetCategoryFilter(kept(Database().m_categories, m_listModel.CategoryFilter()));
    FillCombos();
    RebuildColumns(true);
    RefillList();
}

void CTessarinDesktopView::RepaintRows() {
    m_tableModel->CellsChanged();
    m_tableModel->TitlesChanged();
    ShowInDetails(m_pane->Record() ? GetSelectedRecord() : nullptr);
}

void CTessarinDesktopView::EmptyForLock() {
    ClearRows();
}

void CTessarinDesktopView::ClearSelection() {
    m_list->selectionModel()->clear();
}

int CTessarinDesktopView::RowCount() const {
    return m_tableModel->rowCount();
}

QStringList CTessarinDesktopView::RowTexts() const {
    QStringList rows;
    for (size_t i = 0; i < m_listModel.RowCount(); ++i)
        rows << Cp1252ToQString(m_listModel.CellText(i, kFirstFieldColumn));
    return rows;
}

// --- Selection ---

std::vector<int> CTessarinDesktopView::SelectedRowNumbers() const {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : m_list->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void CTessarinDesktopView::SelectRowNumbers(const std::vector<int>& rows, int current) {
    // Runs of neighbouring rows make one range each: selecting many rows stays cheap.
    QItemSelection selection;
    const int last = m_tableModel->columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        size_t end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.select(m_tableModel->index(rows[i], 0),
                         m_tableModel->index(rows[end - 1], std::max(last, 0)));
        i = end;
    }
    QItemSelectionModel* model = m_list->selectionModel();
    if (current >= 0)
        model->setCurrentIndex(m_tableModel->index(current, 0), QItemSelectionModel::NoUpdate);
    model->select(selection, QItemSelectionModel::ClearAndSelect);
}

CRecord* CTessarinDesktopView::GetSelectedRecord() const {
    const QItemSelection selection = m_list->selectionModel()->selection();
    int row = -1;
    for (const QItemSelectionRange& range : selection) {
        if (range.top() != range.bottom() || (row >= 0 && row != range.top()))
            return nullptr;
        row = range.top();
    }
    return m_tableModel->RecordAt(row);
}

std::vector<CRecord*> CTessarinDesktopView::SelectedRows() const {
    std::vector<CRecord*> records;
    for (int row : SelectedRowNumbers())
        if (CRecord* record = m_tableModel->RecordAt(row))
            records.push_back(record);
    return records;
}

void CTessarinDesktopView::SelectRecords(const std::vector<const CRecord*>& records) {
    const std::unordered_set<const CRecord*> wanted(records.begin(), records.end());
    std::vector<int> rows;
    for (int row = 0; row < RowCount() && rows.size() < wanted.size(); ++row)
        if (wanted.count(m_tableModel->RecordAt(row)))
            rows.push_back(row);
    SelectRowNumbers(rows, rows.empty() ? -1 : rows.front());
    if (!rows.empty())
        m_list->scrollTo(m_tableModel->index(rows.front(), 0));
}

void CTessarinDesktopView::SelectAllRows() {
    if (RowCount() == 0)
        return;
    if (!m_list->currentIndex().isValid())
        m_list->selectionModel()->setCurrentIndex(m_tableModel->index(0, 0),
                                                  QItemSelectionModel::NoUpdate);
    m_list->selectAll();
}

CTessarinDesktopView::CSelectionMemo CTessarinDesktopView::RememberSelection() const {
    CSelectionMemo memo;
    for (const CRecord* record : SelectedRows())
        memo.selected.push_back(record);
    memo.current = m_tableModel->RecordAt(m_list->currentIndex().row());
    return memo;
}

void CTessarinDesktopView::RestoreSelection(const CSelectionMemo& memo) {
    if (memo.selected.empty() && !memo.current)
        return;
    const std::unordered_set<const CRecord*> wanted(memo.selected.begin(), memo.selected.end());
    std::vector<int> rows;
    int current = -1;
    for (int row = 0; row < RowCount(); ++row) {
        const CRecord* record = m_tableModel->RecordAt(row);
        if (wanted.count(record))
            rows.push_back(row);
        if (record == memo.current)
            current = row;
    }
    SelectRowNumbers(rows, current);
    if (current >= 0)
        m_list->scrollTo(m_tableModel->index(current, 0));
}

void CTessarinDesktopView::SelectionChanged() {
    if (!m_searching && !m_listModel.SearchText().empty())
        m_selectedWhileSearching = true;
    ShowInDetails(GetSelectedRecord());
    if (m_commands)
        m_commands->UpdateEnabled();
}

std::vector<const CRecord*> CTessarinDesktopView::ShownRecords() const {
    return {m_listModel.Rows().begin(), m_listModel.Rows().end()};
}

std::vector<const CRecord*> CTessarinDesktopView::SelectedRecords() const {
    std::vector<const CRecord*> records;
    for (CRecord* record : SelectedRows())
        records.push_back(record);
    return records;
}

// --- Rows of single records ---

void CTessarinDesktopView::InsertRecordRow(CRecord& record, bool select) {
    if (IsLocked())
        return;
    // A list built anew meanwhile (a save brought many records in) may hold it already.
    std::optional<int> row = m_tableModel->RowOf(record);
    if (!row)
        row = m_tableModel->InsertRecordRow(record);
    if (!row || !select)
        return;
    SelectRowNumbers({*row}, *row);
    m_list->scrollTo(m_tableModel->index(*row, 0));
}

void CTessarinDesktopView::RedrawRecordRow(const CRecord& record) {
    m_tableModel->RecordChanged(record);
    if (const std::optional<int> row = m_tableModel->RowOf(record))
        m_list->scrollTo(m_tableModel->index(*row, 0));
    ShowInDetails(&record);
}

void CTessarinDesktopView::RemoveRecordRow(const CRecord& record) {
    if (m_pane->Record() == &record)
        ShowInDetails(nullptr);
    m_tableModel->RemoveRecordRow(record);
    m_list->viewport()->update();
}

void CTessarinDesktopView::ShowInDetails(const CRecord* record) {
    m_pane->ShowRecord(m_showDetails ? record : nullptr);
}

// --- Activity ---

bool CTessarinDesktopView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove)
        Q_EMIT activity();
    // Escape empties the search field.
    if (watched == m_searchField && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !m_searchField->text().isEmpty()) {
        m_searchField->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CTessarinDesktopView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        Q_EMIT activity();
    }
}

}  // namespace tessarin
