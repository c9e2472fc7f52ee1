#pragma once

// The main window's view: it owns the current user's database from its opening to the view's end
// and shows its records in the record list, with the type and category choosers and the Mask
// button above it, the record buttons below it and the details pane beside it. It imports files
// into the database and follows the changes other processes make to the file.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "exchange/import_file.h"
#include "exchange/record_list.h"
#include "listing/record_list_model.h"
#include "store/change_notice.h"
#include "store/database.h"
#include "store/database_session.h"
#include "store/icon_file.h"
#include "ui/list_style.h"
#include "ui/lock_controller.h"
#include "ui/view_geometry.h"

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tessarin {

class CCommandTable;
class CCoreContext;
class CDatabaseWatch;
class CDetailsPane;
class CFilterCombo;
class CPreferences;
class CRecordListView;
class CRecordTableModel;
class CShowColumnsDialog;

// Up to how many rows a change adds, paints or removes one by one; more are done in one pass.
inline constexpr size_t kRowsOneByOne = 64;

// How long a change from outside waits while a dialog or a menu is open before it is tried again.
inline constexpr int kDeferredNoticeMs = 200;

class CLockController;

class CTessarinDesktopView : public QWidget, public IRecordList, private ISessionObserver {
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

    // Reads the view's preferences, opens the database in `folder` (made when missing), loads
    // the user's custom icons, fills the choosers and the list, and selects the first row. False
    // after a message when the file could not be read; the database is then never saved over.
    bool OpenDatabase(const std::string& folder);
    // Reads the user's database again from its file, both filters back to all: after a notice
    // that everything changed, or an unlock that found the file changed.
    bool ReloadUser();
    // Builds the rows anew from the records in memory with the filters in force.
    void RefillList();
    // Saves now; false when the save failed (its message has been shown).
    bool SaveNow();

    // Asks message 161 with the file's name, and imports the file on Yes. While the program is
    // locked the file waits for the unlock: a second start handed it over and has ended.
    void ImportWithConfirmation(const std::string& path);
    // The files handed over while locked, each asked about in turn. Called after an unlock.
    void ImportHandedOver();
    // Imports without asking (the sample data of a first run).
    CImportOutcome ImportFile(const std::string& path);
    // Where the password of a protected import file is asked; the view's own prompt when none.
    void SetFilePasswordPrompt(IFilePasswordPrompt* prompt) { m_filePasswordPrompt = prompt; }

    // A change notice from another process: remembered while locked, kept until a dialog or menu
    // closes, else acted upon.
    void OnNotice(const CChangeNotice& notice);

    // The rows and details go (a user switch is under way: the records are about to go).
    void EmptyForLock();
    void ClearSelection();

    // The program's lock, which the view follows: nothing is shown while locked. None in tests
    // of the view alone.
    void SetLockController(CLockController* lock);
    bool IsLocked() const;
    bool DatabaseChanged() const { return m_session->Changed(); }

    // The commands: the view binds its own and runs the others from its buttons, the list and
    // the details pane; the record list's shortcut menu comes from the table.
    void AttachCommands(CCommandTable& commands);
    // The "Sync" button, for when the sync platform's manager library is there.
    void SetSyncButtonShown(bool shown);
    // What the strip's "Sync" button does; the Sync command when none is set.
    std::function<void()> m_syncButtonAction;

    // --- What the record dialogs, find, the clipboard, printing and the file commands use ---

    // The record of the selected row when exactly one row is selected, else none.
    CRecord* GetSelectedRecord() const;
    // The records of the selected rows, in display order.
    std::vector<CRecord*> SelectedRows() const;
    // Selects the rows of these records only (those listed), the first of them current.
    void SelectRecords(const std::vector<const CRecord*>& records);
    void SelectAllRows();
    // A new record's row, in sorted position, when the type filter passes it; with `select` it
    // becomes the only selected row and is scrolled into view.
    void InsertRecordRow(CRecord& record, bool select);
    // The record changed: its row is repainted and scrolled into view, and it is shown in the
    // details pane.
    void RedrawRecordRow(const CRecord& record);
    // The record's row goes (before the record is destroyed).
    void RemoveRecordRow(const CRecord& record);
    // Shows the record in the details pane (none: an empty pane).
    void ShowInDetails(const CRecord* record);
    // The rows narrowed to the records holding the text (find).
    void RefillFiltered(std::string_view text, bool caseSensitive, bool wholeWord);
    bool IsNarrowed() const;
    // The rows narrowed to the records the search field's text finds; "" lists them all again with
    // the selection they had before the search began.
    void Search(const QString& text);

    // The type and category choosers anew from the database (after types or categories were
    // edited), the columns, and the rows. A filter whose item is gone becomes "All".
    void RefillFilterCombos();
    // Every row painted again (names, labels or values changed).
    void RepaintRows();
    // After "Edit Types" closed: the column layout saved, the columns' titles after the labels;
    // the rows, the selection and a find's narrowing stay.
    void TypesEdited();

    const CRecordListModel& ListModel() const { return m_listModel; }
    const CColumnLayout& ColumnLayout() const { return m_columns; }
    const QFont& ListFont() const { return m_style.fonts.list; }
    const CIconList& CustomIcons() const { return m_customIcons; }
    ItemKey CategoryFilter() const { return m_listModel.CategoryFilter(); }
    bool Unmasked() const { return !m_style.masking; }

    // Switching users: the column layout and the view's settings are kept for the user who is
    // current now, and the rows go, since the database is about to be read anew. When the switch
    // is abandoned, RefillList() brings the rows back.
    void SaveListSettings();
    // After another user's database was opened from `folder`: that user's settings, icons, both
    // filters on all, the choosers and the rows.
    void RebuildList(const std::string& folder);
    // The database file was moved into `folder` (Change Database Location): it is read and watched
    // there from now on; nothing else changes.
    void MovedTo(const std::string& folder);
    // "Sort Info", "Showing Details", "Details Pane Width", "Current Type", "Current CategoryID".
    void WritePreferences();

    // What the user reads: field 1 of every row as shown, top to bottom.
    QStringList RowTexts() const;
    int RowCount() const;
    CRecordListView* List() const { return m_list; }
    CDetailsPane* Pane() const { return m_pane; }
    CFilterCombo* TypeCombo() const { return m_typeCombo; }
    CFilterCombo* CategoryCombo() const { return m_categoryCombo; }
    QPushButton* MaskButton() const { return m_maskButton; }
    QLineEdit* SearchField() const { return m_searchField; }
    // Says countsChanged with the counts as they are now.
    void TellCounts();
    // Moves the keyboard to the search field, its text selected (a key of the command table).
    void FocusSearch();
    // The first link the selected record shows (as the details pane would open it), and opening
    // it: "Open URL".
    std::string FirstLink() const;
    void OpenFirstLink();
    const CViewGeometry& Geometry() const { return m_geometry; }
    bool ShowingDetails() const { return m_showDetails; }
    int PaneWidth() const { return m_paneWidth; }
    const CViewStyle& Style() const { return m_style; }
    // The record list's shortcut menu as it would open now, Type and Category filled in.
    QMenu* BuildContextMenu(QWidget* parent);

    // The view's own commands, also run by the command table.
    void SortByColumn(int column);
    void SelectTypeEntry(int index);
    void SelectCategoryEntry(int index);
    void ToggleDetails();
    void ToggleMask();
    void ShowColumnsCommand();
    void RowColorCommand();
    void SetFontCommand();
    // The n-th type not deleted (none: Unfiled) for every selected record; the category likewise.
    void SetTypeOfSelection(std::optional<size_t> typeIndex);
    void SetCategoryOfSelection(std::optional<size_t> categoryIndex);
    void DragSplitterTo(int x);

    // Where the view's standard dialogs answer; tests answer in their place.
    std::function<std::optional<QColor>(const QColor& current)> m_chooseColor;
    std::function<std::optional<QFont>(const QFont& current)> m_chooseFont;
    std::function<bool(CShowColumnsDialog& dialog)> m_runShowColumns;

    // IRecordList
    ItemKey TypeFilter() const override { return m_listModel.TypeFilter(); }
    std::vector<const CRecord*> ShownRecords() const override;
    std::vector<const CRecord*> SelectedRecords() const override;
    void AddAndSelect(CRecord& record) override;
    void RemoveAll() override;
    void Refill() override;
    void MarkDatabaseChanged() override { m_session->MarkChanged(); }

Q_SIGNALS:
    // The rows listed and the records there are, whenever either may have changed.
    void countsChanged(int listed, int total);
    // The user did something that counts as activity for the automatic lock: the view's first
    // showing, a mouse movement over it.
    void activity();
    // The key held no longer opens the database file: its password was changed by another
    // process. Nothing was read with the old key.
    void passwordChangedElsewhere();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Selection kept over a reset of the rows: the records and the current one.
    struct CSelectionMemo {
        std::vector<const CRecord*> selected;
        const CRecord* current = nullptr;
    };

    void BuildStrips();
    void ApplyGeometry();
    void ReadViewPreferences();
    void ApplyListFont(const QFont& font);
    void LoadCustomIcons();
    bool ReportLoad(const CStoreResult& result);
    void ClearRows();
    void FillCombos();
    void SetFilters(const ItemKey& type, const ItemKey& category);
    void RebuildColumns(bool reload);
    void SaveColumnLayout();
    void StoreColumnWidth(int column, int width);
    void BestFit(int column);
    std::vector<int> SelectedRowNumbers() const;
    void SelectRowNumbers(const std::vector<int>& rows, int current);
    CSelectionMemo RememberSelection() const;
    void RestoreSelection(const CSelectionMemo& memo);
    void SelectionChanged();
    // Empties the search field and lists without it, forgetting the selection it kept (the lock).
    void ForgetSearch();
    void UpdateCommandTexts();
    void RunCommand(uint32_t id);
    void HandleNotice(const CChangeNotice& notice);
    // What another process did, shown: an item that arrived, one that holds another version, one
    // that went (still alive).
    void ShowArrived(int kind, CBaseItem& item);
    void ShowChanged(int kind, CBaseItem& item);
    void ShowRemoved(int kind, const CBaseItem& item);
    // ISessionObserver: what changed in the database, by a command or from outside.
    void SessionChanged(const CSessionChanges& changes) override;
    void SessionReloaded() override;
    void SessionSaveFailed(const CStoreResult& result) override;
    // Records gone from the database leave their rows, in one pass.
    void RemoveRows(const std::vector<const CBaseItem*>& records);
    // Lets go of items other writers removed, once no dialog may still hold one.
    void ForgetDeparted();
    void FlushDeferredNotices();
    bool BusyElsewhere() const;
    bool OnForeignChange();
    void ApplyToSelection(const std::function<void(CRecord&)>& change);

    CCoreContext& m_context;
    CPreferences& m_preferences;
    std::unique_ptr<CDatabaseSession> m_session;
    CRecordListModel m_listModel;
    std::string m_folder;
    CIconList m_customIcons;
    CViewStyle m_style;
    CColumnLayout m_columns = CColumnLayout::Default();
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
    CSelectionMemo m_beforeSearch;
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
    CDatabaseWatch* m_watch;

    QPointer<CLockController> m_lock;
    IFilePasswordPrompt* m_filePasswordPrompt = nullptr;
    bool m_shownOnce = false;
    // Records an import made: selected once the import has refilled the list.
    std::vector<const CRecord*> m_imported;
    std::vector<std::string> m_handedOver;
    std::deque<CChangeNotice> m_deferredNotices;
    QTimer m_deferTimer;
};

}  // namespace tessarin
