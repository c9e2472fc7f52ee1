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
#include "ui/change_follower.h"
#include "ui/column_setup.h"
#include "ui/command_table.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/lock_controller.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/save_aside.h"
#include "ui/ui_text.h"
#include "ui/view_imports.h"
#include "ui/view_settings.h"

namespace tessarin {

namespace {

inline constexpr int kTypeDropDownHeight = 350;
inline constexpr int kCategoryDropDownHeight = 200;

}  // namespace

CTessarinDesktopView::CTessarinDesktopView(CCoreContext& context, CPreferences& preferences,
                                           QWidget* parent)
    : QWidget(parent),
      m_context(context),
      m_settings(std::make_unique<CViewSettings>(preferences)),
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
    m_rows = std::make_unique<CRecordRows>(*m_tableModel, *m_list);
    m_columns = std::make_unique<CColumnSetup>(*m_session, *m_settings, *m_tableModel, *m_list,
                                               *m_rows, m_style);
    m_imports = std::make_unique<CViewImports>(*this);
    m_follower = new CChangeFollower(context, *m_session, *this);
    // A large database's file is written on a thread of its own while the list keeps painting.
    m_session->SetAsideRunner(&ThreadAside());
    connect(m_follower, &CChangeFollower::passwordChangedElsewhere, this,
            &CTessarinDesktopView::passwordChangedElsewhere);
    ApplyListFont(m_style.fonts.list);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CTessarinDesktopView::SelectionChanged);
    connect(m_list, &CRecordListView::columnClicked, this, &CTessarinDesktopView::SortByColumn);
    connect(m_list, &CRecordListView::columnWidthDragged, this,
            [this](int column, int width) { m_columns->StoreWidth(column, width); });
    connect(m_list, &CRecordListView::bestFitAsked, this,
            [this](int column) { m_columns->BestFit(column); });
    connect(m_list, &CRecordListView::rowDoubleClicked, this,
            [this] { RunCommand(cmd::kEditItem); });
    connect(m_pane, &CDetailsPane::editRequested, this, [this] { RunCommand(cmd::kEditItem); });
    connect(m_pane, &CDetailsPane::copyRequested, this, &CTessarinDesktopView::RunCommand);
    connect(m_pane, &CDetailsPane::splitterDragged, this, &CTessarinDesktopView::DragSplitterTo);
    connect(m_pane, &CDetailsPane::linkActivated, this, &CTessarinDesktopView::openLink);

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
    // The follower stops following before the rows it shows changes in go.
    delete m_follower;
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
        if (m_commands)
            m_commands->Press(cmd::kSync);
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
    const CViewSettings::CLook look = m_settings->ReadLook();
    m_listModel.SetSort(look.sort);
    m_showDetails = look.showDetails;
    m_paneWidth = look.paneWidth;
    m_style.rowColor = look.rowColor.value_or(DefaultRowColor(palette()));
    const QFont uiFont = UiFontFrom(font());
    ApplyListFont(look.font ? FontFromLogFont(*look.font, uiFont) : uiFont);
    ApplyGeometry();
}

void CTessarinDesktopView::WritePreferences() {
    if (m_opened)
        m_settings->Write(m_listModel.Sort(), m_showDetails, m_paneWidth, m_listModel.TypeFilter(),
                          m_listModel.CategoryFilter());
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
    m_follower->Watch(Database().m_path);
    // A filter that names no item of the database (deleted ones count) shows everything.
    SetFilters(CheckedFilter(Database().m_types, m_settings->TypeFilter()),
               CheckedFilter(Database().m_categories, m_settings->CategoryFilter()));
    // A database that could not be read leaves the user's view settings as they were.
    m_opened = ok;
    UpdateCommandTexts();
    m_rows->SelectFirst();
    return ok;
}

bool CTessarinDesktopView::ReloadUser() {
    ClearRows();
    const CStoreResult result = m_session->Reload();
    const bool ok = ReportLoad(result);
    if (result.code != StoreCode::KeyChanged) {
        LoadCustomIcons();
        m_follower->TakeFileAsKnown();
    }
    SetFilters(AnyKey, AnyKey);
    return ok;
}

bool CTessarinDesktopView::SaveNow() {
    // A failure is passed on by the follower.
    return m_session->SaveNow().Ok();
}

void CTessarinDesktopView::ClearRows() {
    m_tableModel->Clear();
    ShowInDetails(nullptr);
    TellCounts();
}

void CTessarinDesktopView::OnNotice(const CChangeNotice& notice) {
    m_follower->OnNotice(notice);
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
    m_columns->Rebuild(true);
    RefillList();
}

void CTessarinDesktopView::RefillFilterCombos(bool aside) {
    const auto kept = [](const CItemList& list, const ItemKey& key) {
        if (key == AnyKey || key.IsZero())
            return key;
        const CBaseItem* item = list.FindByKey(key);
        return item && !item->m_deleted ? key : AnyKey;
    };
    m_listModel.SetTypeFilter(kept(Database().m_types, m_listModel.TypeFilter()));
    m_listModel.SetCategoryFilter(kept(Database().m_categories, m_listModel.CategoryFilter()));
    FillCombos();
    m_columns->Rebuild(true);
    RefillList(aside);
}

void CTessarinDesktopView::RefillList(bool aside) {
    if (IsLocked()) {
        ClearRows();
        return;
    }
    if (aside && Database().m_records.Size() >= kAsideFromRecords) {
        const CDatabaseSession::CBusy busy(*m_session);
        m_tableModel->RefillAside(ThreadAside());
    } else {
        m_tableModel->Refill();
    }
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
        m_beforeSearch = m_rows->Remember();
        m_selectedWhileSearching = false;
    }
    // The selected records stay selected where they are still listed. Cleared, the search gives
    // back the selection it found, unless the user chose records among what it listed.
    const CRecordRows::CMemo memo =
        bytes.empty() && !m_selectedWhileSearching ? m_beforeSearch : m_rows->Remember();
    {
        const QScopedValueRollback searching(m_searching, true);
        m_tableModel->SetSearch(bytes);
        m_rows->Restore(memo);
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

void CTessarinDesktopView::RepaintRows() {
    m_tableModel->CellsChanged();
    m_tableModel->TitlesChanged();
    ShowInDetails(m_pane->Record() ? GetSelectedRecord() : nullptr);
}

void CTessarinDesktopView::EmptyForLock() {
    ClearRows();
}

void CTessarinDesktopView::ClearSelection() {
    m_rows->ClearSelection();
}

const CColumnLayout& CTessarinDesktopView::ColumnLayout() const {
    return m_columns->Layout();
}

// --- Selection ---

CRecord* CTessarinDesktopView::GetSelectedRecord() const {
    return m_rows->Single();
}

void CTessarinDesktopView::SelectRecords(const std::vector<const CRecord*>& records) {
    m_rows->Select(records);
}

void CTessarinDesktopView::SelectAllRows() {
    m_rows->SelectAll();
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
    for (CRecord* record : m_rows->Selected())
        records.push_back(record);
    return records;
}

// --- Rows of single records ---

void CTessarinDesktopView::RedrawRecordRow(const CRecord& record) {
    m_rows->ShowChanged(record);
    ShowInDetails(&record);
}

void CTessarinDesktopView::RecordsGone(const std::vector<const CBaseItem*>& records) {
    if (records.empty())
        return;
    if (!m_beforeSearch.Empty()) {
        // Gone records are not given back their selection when the search is cleared.
        const std::unordered_set<const CBaseItem*> gone(records.begin(), records.end());
        std::erase_if(m_beforeSearch.selected,
                      [&gone](const CRecord* record) { return gone.count(record) != 0; });
        if (gone.count(m_beforeSearch.current))
            m_beforeSearch.current = nullptr;
    }
    if (m_pane->Record() &&
        std::find(records.begin(), records.end(), m_pane->Record()) != records.end())
        ShowInDetails(nullptr);
    m_rows->Remove(records);
}

void CTessarinDesktopView::ShowInDetails(const CRecord* record) {
    m_pane->ShowRecord(m_showDetails ? record : nullptr);
}

// --- The lock ---

void CTessarinDesktopView::SetLockController(CLockController* lock) {
    m_lock = lock;
    if (!lock)
        return;
    connect(lock, &CLockController::locked, this, [this] {
        m_follower->DropWaiting();
        // What was searched for is not left on show either.
        ForgetSearch();
        ClearRows();
    });
    connect(lock, &CLockController::unlocked, this, [this] {
        // The database was read again from its file: what is in it now, the filters kept where
        // their items still are.
        LoadCustomIcons();
        m_follower->TakeFileAsKnown();
        RefillFilterCombos();
        m_rows->SelectFirst();
        m_imports->ImportHandedOver();
    });
}

bool CTessarinDesktopView::IsLocked() const {
    return m_lock && m_lock->IsLocked();
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
