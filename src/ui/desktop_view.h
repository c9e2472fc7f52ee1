#pragma once

// The main window's view: it owns the current user's database from its opening to the view's end,
// shows its records, imports files into it, and follows the change notices of other processes.
// The list shown here is plain (field 1 of each record); the record list proper takes its place
// behind the same operations.
#include <memory>
#include <string>

#include <QWidget>

#include "exchange/import_file.h"
#include "exchange/record_list.h"
#include "store/change_notice.h"
#include "store/database.h"

class QListWidget;

namespace tessarin {

class CCoreContext;

class CTessarinDesktopView : public QWidget, public IRecordList {
    Q_OBJECT
public:
    explicit CTessarinDesktopView(CCoreContext& context, QWidget* parent = nullptr);
    ~CTessarinDesktopView() override;

    CDatabaseObj& Database() { return *m_database; }
    const std::string& Folder() const { return m_folder; }

    // Opens the database in `folder` (made when missing) and fills the list. False after a
    // message when the file could not be read; the database is then never saved over.
    bool OpenDatabase(const std::string& folder);
    // Reads the user's database again from its file and fills the list.
    bool ReloadUser();
    // Builds the rows anew from the records in memory.
    void RefillList();
    // Saves now; false when the save failed (its message has been shown).
    bool SaveNow();

    // Asks message 161 with the file's name, and imports the file on Yes.
    void ImportWithConfirmation(const std::string& path);
    // Imports without asking (the sample data of a first run).
    CImportOutcome ImportFile(const std::string& path);
    // Where the password of a protected import file is asked; the view's own prompt when none.
    void SetFilePasswordPrompt(IFilePasswordPrompt* prompt) { m_filePasswordPrompt = prompt; }

    // A change notice from another process: remembered while locked, else acted upon.
    void OnNotice(const CChangeNotice& notice);

    // The lock: the rows and details go, the records stay in memory.
    void EmptyForLock();
    void ClearSelection();

    bool m_locked = false;
    bool m_noticePending = false;
    bool DatabaseChanged() const { return m_databaseChanged; }

    // The rows as the user reads them, top to bottom.
    QStringList RowTexts() const;
    QListWidget* List() const { return m_list; }

    // IRecordList
    ItemKey TypeFilter() const override { return AnyKey; }
    std::vector<const CRecord*> ShownRecords() const override;
    std::vector<const CRecord*> SelectedRecords() const override;
    void AddAndSelect(CRecord& record) override;
    void RemoveAll() override;
    void Refill() override { RefillList(); }
    void MarkDatabaseChanged() override { m_databaseChanged = true; }

Q_SIGNALS:
    // The user did something that counts as activity for the automatic lock: the view's first
    // showing, a mouse movement over it.
    void activity();
    // The key held no longer opens the database file: its password was changed by another
    // process. Nothing was read with the old key.
    void passwordChangedElsewhere();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool ReportLoad(const CStoreResult& result);
    void AddRow(const CRecord& record, bool select);

    CCoreContext& m_context;
    std::unique_ptr<CDatabaseObj> m_database;
    std::string m_folder;
    QListWidget* m_list;
    IFilePasswordPrompt* m_filePasswordPrompt = nullptr;
    bool m_databaseChanged = false;
    bool m_shownOnce = false;
};

}  // namespace tessarin
