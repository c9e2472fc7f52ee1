#pragma once

// The main window's view: it owns the current user's database session from its opening to the
// view's end and shows its records in the record list, with the type and category choosers, the
// search field and the Mask button above it, the record buttons below it and the details pane
// beside it. The view keeps the geometry and the painting, the choosers and its own commands; its
// sections are classes of their own that it owns:
//   CRecordRows      the rows and the selection, by record (records mapped to rows in one place)
//   CColumnSetup     the columns: layout, widths, Show Columns
//   CViewSettings    what it reads from and writes to the preferences
//   CChangeFollower  the session's changes, other processes' notices, the file watched
//   CViewImports     files handed over by a second start, the sample data
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QWidget>

#include "exchange/record_list.h"
#include "listing/record_list_model.h"
#include "store/change_notice.h"
#include "store/database.h"
#include "store/database_session.h"
#include "store/icon_file.h"
#include "ui/list_style.h"
#include "ui/record_rows.h"
#include "ui/view_geometry.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tessarin {

class CChangeFollower;
class CColumnSetup;
class CCommandTable;
class CCoreContext;
class CDetailsPane;
class CFilterCombo;
class CLockController;
class CPreferences;
class CRecordListView;
class CRecordTableModel;
class CShowColumnsDialog;
class CViewImports;
class CViewSettings;

class CTessarinDesktopView : public QWidget, public IListedRecords {
    Q_OBJECT
public:
    CTessarinDesktopView(CCoreContext& context, CPreferences& preferences,
                         QWidget* parent = nullptr);
    // Writes the view's preferences when a database was opened.
    ~CTessarinDesktopView() override;

    CDatabaseObj& Database() { return m_session->Database(); }
    const CDatabaseObj& Database() const { return m_session->Database(); }
    // The open database and the one way it changes.
    CDatabaseSession& Session() { return *m_session; }
    const std::string& Folder() const { return m_folder; }
    bool DatabaseChanged() const { return m_session->Changed(); }

    // Reads the view's preferences, opens the database in `folder` (made when missing), loads
    // the user's custom icons, fills the choosers and the list, and selects the first row. False
    // after a message when the file could not be read; the database is then never saved over.
    bool OpenDatabase(const std::string& folder);
    // Builds the rows anew from the records in memory with the filters in force.
    // The rows anew; with `aside`, a large database's are sorted off the window's thread (see
    // CRecordTableModel::RefillAside) while the session is busy.
    void RefillList(bool aside = false);
    // Saves now; false when the save failed (its message has been shown).
    bool SaveNow();
    // The files handed over by a second start, and the sample data of a first run.
    CViewImports& Imports() { return *m_imports; }
    // A change notice from another process (see CChangeFollower).
    void OnNotice(const CChangeNotice& notice);

    // The rows and details go (a user switch or a sync is under way: the records are about to go).
    void EmptyForLock();
    // The program's lock, which the view follows: nothing is shown while locked. None in tests
    // of the view alone.
    void SetLockController(CLockController* lock);
    bool IsLocked() const;

    // The commands: the view binds its own and runs the others from its buttons, the list and
    // the details pane; the record list's shortcut menu comes from the table.
    void AttachCommands(CCommandTable& commands);
    // The "Sync" button, for when the sync platform's manager library is there.
    void SetSyncButtonShown(bool shown);

    // --- What the record dialogs, find, the clipboard, printing and the commands use ---

    // The record of the selected row when exactly one row is selected, else none.
    CRecord* GetSelectedRecord() const;
    // Selects the rows of these records only (those listed), the first of them current.
    void SelectRecords(const std::vector<const CRecord*>& records);
    void SelectAllRows();
    void ClearSelection();
    // The record changed: its row is repainted and scrolled into view, and it is shown in the
    // details pane.
    void RedrawRecordRow(const CRecord& record);
    // Shows the record in the details pane (none: an empty pane).
    void ShowInDetails(const CRecord* record);
    // The rows narrowed to the records holding the text (find).
    void RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord);
    bool IsNarrowed() const;
    // After "Edit Types" closed: the column layout saved, the columns' titles after the labels;
    // the rows, the selection and a find's narrowing stay.
    void TypesEdited();

    const CRecordListModel& ListModel() const { return m_listModel; }
    const CColumnLayout& ColumnLayout() const;
    const QFont& ListFont() const { return m_style.fonts.list; }
    const CIconList& CustomIcons() const { return m_customIcons; }
    ItemKey CategoryFilter() const { return m_listModel.CategoryFilter(); }
    bool Unmasked() const { return !m_style.masking; }

    // Switching users: the column layout and the view's settings are kept for the user who is
    // current now, and the rows go, since the database is about to be read anew. When the switch
    // is abandoned, RefillList() brings the rows back.
    void SaveListSettings();
    // After another user's database was opened from `folder` (or the same user's read again):
    // that user's settings, icons, both filters on all, the choosers and the rows.
    void RebuildList(const std::string& folder);
    // The database file was moved into `folder` (Change Database Location): it is read and watched
    // there from now on; nothing else changes.
    void MovedTo(const std::string& folder);

    // IListedRecords
    ItemKey TypeFilter() const override { return m_listModel.TypeFilter(); }
    std::vector<const CRecord*> ShownRecords() const override;
    std::vector<const CRecord*> SelectedRecords() const override;

    // --- What the user sees and does (tests read and drive it here) ---

    // Field 1 of every row as shown, top to bottom.
    QStringList RowTexts() const { return m_rows->Texts(); }
    int RowCount() const { return m_rows->Count(); }
    CRecordListView* List() const { return m_list; }
    CDetailsPane* Pane() const { return m_pane; }
    CFilterCombo* TypeCombo() const { return m_typeCombo; }
    CFilterCombo* CategoryCombo() const { return m_categoryCombo; }
    QPushButton* MaskButton() const { return m_maskButton; }
    QLineEdit* SearchField() const { return m_searchField; }
    // Says countsChanged with the counts as they are now.
    void TellCounts();
    const CViewGeometry& Geometry() const { return m_geometry; }
    bool ShowingDetails() const { return m_showDetails; }
    int PaneWidth() const { return m_paneWidth; }
    const CViewStyle& Style() const { return m_style; }
    // The record list's shortcut menu as it would open now, Type and Category filled in.
    QMenu* BuildContextMenu(QWidget* parent);
    void SortByColumn(int column);
    void SelectTypeEntry(int index);
    void SelectCategoryEntry(int index);
    void ToggleDetails();
    void ToggleMask();
    void DragSplitterTo(int x);

    // Where the view's standard dialogs answer; tests answer in their place.
    std::function<std::optional<QColor>(const QColor& current)> m_chooseColor;
    std::function<std::optional<QFont>(const QFont& current)> m_chooseFont;
    std::function<bool(CShowColumnsDialog& dialog)> m_runShowColumns;

Q_SIGNALS:
    // The rows listed and the records there are, whenever either may have changed.
    void countsChanged(int listed, int total);
    // The user did something that counts as activity for the automatic lock: the view's first
    // showing, a mouse movement over it.
    void activity();
    // The key held no longer opens the database file: its password was changed by another
    // process. Nothing was read with the old key.
    void passwordChangedElsewhere();
    // A link of the details pane, or Open URL: its target is to be opened.
    void openLink(const QString& target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The follower shows what changed in the rows, the choosers and the pane.
    friend class CChangeFollower;

    void BuildStrips();
    void ApplyGeometry();
    void ReadViewPreferences();
    // "Sort Info", "Showing Details", "Details Pane Width", "Current Type", "Current CategoryID".
    void WritePreferences();
    void ApplyListFont(const QFont& font);
    void LoadCustomIcons();
    bool ReportLoad(const CStoreResult& result);
    // Reads the user's database again from its file, both filters back to all: after a notice
    // that everything changed.
    bool ReloadUser();
    void ClearRows();
    void FillCombos();
    void SetFilters(const ItemKey& type, const ItemKey& category);
    // The type and category choosers anew from the database, the columns, and the rows. A filter
    // whose item is gone becomes "All".
    void RefillFilterCombos(bool aside = false);
    // Every row painted again (names, labels or values changed).
    void RepaintRows();
    // Records gone from the database: out of the rows, the details pane and the search's memo.
    void RecordsGone(const std::vector<const CBaseItem*>& records);
    void SelectionChanged();
    // The rows narrowed to the records the search field's text finds; "" lists them all again with
    // the selection they had before the search began.
    void Search(const QString& text);
    // Empties the search field and lists without it, forgetting the selection it kept (the lock).
    void ForgetSearch();
    // Moves the keyboard to the search field, its text selected.
    void FocusSearch();
    // The first link the selected record shows (as the details pane would open it), and opening
    // it: "Open URL".
    std::string FirstLink() const;
    void OpenFirstLink();
    void UpdateCommandTexts();
    void RunCommand(uint32_t id);
    void ShowColumnsCommand();
    void RowColorCommand();
    void SetFontCommand();
    // The n-th type not deleted (none: Unfiled) for every selected record; the category likewise.
    void SetTypeOfSelection(std::optional<size_t> typeIndex);
    void SetCategoryOfSelection(std::optional<size_t> categoryIndex);
    void ApplyToSelection(const std::function<void(CRecord&)>& change);

    CCoreContext& m_context;
    std::unique_ptr<CViewSettings> m_settings;
    std::unique_ptr<CDatabaseSession> m_session;
    CRecordListModel m_listModel;
    std::string m_folder;
    CIconList m_customIcons;
    CViewStyle m_style;
    bool m_showDetails = true;
    int m_paneWidth = kDefaultPaneWidth;
    bool m_syncShown = false;
    bool m_opened = false;
    CViewGeometry m_geometry;
    CCommandTable* m_commands = nullptr;

    QLabel* m_typesLabel;
    CFilterCombo* m_typeCombo;
    QLabel* m_categoryLabel;
    CFilterCombo* m_categoryCombo;
    QPushButton* m_maskButton;
    QLineEdit* m_searchField;
    // The selection when the search began, for when its text is cleared, and whether the user
    // chose other records since.
    CRecordRows::CMemo m_beforeSearch;
    bool m_selectedWhileSearching = false;
    bool m_searching = false;
    QPushButton* m_newButton;
    QPushButton* m_editButton;
    QPushButton* m_deleteButton;
    QPushButton* m_duplicateButton;
    QPushButton* m_syncButton;
    CRecordTableModel* m_tableModel;
    CRecordListView* m_list;
    CDetailsPane* m_pane;

    std::unique_ptr<CRecordRows> m_rows;
    std::unique_ptr<CColumnSetup> m_columns;
    std::unique_ptr<CViewImports> m_imports;
    CChangeFollower* m_follower;
    QPointer<CLockController> m_lock;
    bool m_shownOnce = false;
};

}  // namespace tessarin
