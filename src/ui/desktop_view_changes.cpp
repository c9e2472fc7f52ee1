// The record view and the changes that reach its database from outside its own commands: imports,
// the change notices of other processes, and a file rewritten by someone who sent none.

#include <algorithm>
#include <unordered_set>

#include <QApplication>
#include <QInputDialog>

#include "listing/filter_entries.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "ui/command_table.h"
#include "ui/database_watch.h"
#include "ui/desktop_view.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
#include "ui/lock_controller.h"
#include "ui/record_list_view.h"
#include "ui/record_table_model.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// The password of a protected import file, asked in a plain field.
class CFieldPasswordPrompt : public IFilePasswordPrompt {
public:
    CFieldPasswordPrompt(QWidget* parent, const CStringTable& strings)
        : m_parent(parent), m_strings(strings) {}
    std::optional<CSecret> AskFilePassword() override {
        bool ok = false;
        const QString text = QInputDialog::getText(
            m_parent, UiText(m_strings, str::kEnterPasswordTitle),
            UiText(m_strings, str::kEnterPassword), QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return SecretFromField(text);
    }

private:
    QWidget* m_parent;
    const CStringTable& m_strings;
};

}  // namespace

// --- Imports ---

void CTessarinDesktopView::AddAndSelect(CRecord& record) {
    // The import refills the list when it ends; the rows are made then, in one go.
    m_imported.push_back(&record);
}

void CTessarinDesktopView::RemoveAll() {
    m_imported.clear();
    ClearRows();
}

void CTessarinDesktopView::Refill() {
    const std::vector<const CRecord*> imported = std::exchange(m_imported, {});
    RefillFilterCombos();
    if (!imported.empty())
        SelectRecords(imported);
}

CImportOutcome CTessarinDesktopView::ImportFile(const std::string& path) {
    CFieldPasswordPrompt ownPrompt(this, m_context.Strings());
    IFilePasswordPrompt& prompt = m_filePasswordPrompt ? *m_filePasswordPrompt : ownPrompt;
    m_imported.clear();
    CImportOutcome outcome =
        tessarin::ImportFile(Database(), ExchangeFormat::Detect, path, false, *this, prompt);
    m_imported.clear();
    return outcome;
}

void CTessarinDesktopView::ImportWithConfirmation(const std::string& path) {
    if (IsLocked()) {
        m_handedOver.push_back(path);
        return;
    }
    // The whole path, since the name alone may hide where the file comes from; No unless the user
    // says otherwise, since another program may have asked.
    if (m_context.ShowMessage(str::kImportFileConfirm,
                              {QStringToCp1252(QString::fromStdString(path))}, MessageIcon::Question,
                              MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
        return;
    ImportFile(path);
}

void CTessarinDesktopView::ImportHandedOver() {
    while (!m_handedOver.empty() && !IsLocked()) {
        const std::string path = m_handedOver.front();
        m_handedOver.erase(m_handedOver.begin());
        ImportWithConfirmation(path);
    }
}

// --- Changes made by other processes ---

bool CTessarinDesktopView::BusyElsewhere() const {
    // A dialog or a menu may hold records or positions in the lists: they stay as they are
    // until it closes.
    return QApplication::activeModalWidget() || QApplication::activePopupWidget();
}

void CTessarinDesktopView::OnNotice(const CChangeNotice& notice) {
    // While locked nothing is in memory: the unlock reads the whole file again.
    if (IsLocked())
        return;
    if (BusyElsewhere() || !m_deferredNotices.empty()) {
        m_deferredNotices.push_back(notice);
        m_deferTimer.start();
        return;
    }
    HandleNotice(notice);
}

void CTessarinDesktopView::FlushDeferredNotices() {
    if (IsLocked()) {
        m_deferredNotices.clear();
        return;
    }
    while (!m_deferredNotices.empty()) {
        if (BusyElsewhere()) {
            m_deferTimer.start();
            return;
        }
        const CChangeNotice notice = m_deferredNotices.front();
        m_deferredNotices.pop_front();
        HandleNotice(notice);
    }
}

void CTessarinDesktopView::HandleNotice(const CChangeNotice& notice) {
    if (notice.action == kActionReloadAll) {
        ReloadUser();
        return;
    }
    // What the notice did reaches the rows through SessionChanged.
    const CStoreResult result = m_session->HandleNotice(notice);
    if (result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return;
    }
    // The notice said what changed in the file: no need to read it all again for that.
    m_watch->TakeFileAsKnown();
}

void CTessarinDesktopView::ShowArrived(int kind, CBaseItem& item) {
    if (kind == kKindRecord)
        InsertRecordRow(static_cast<CRecord&>(item), false);
    else if (!item.m_deleted)
        (kind == kKindType ? m_typeCombo : m_categoryCombo)
            ->InsertItem(item, m_context.Collation());
}

void CTessarinDesktopView::ShowChanged(int kind, CBaseItem& item) {
    if (kind == kKindRecord) {
        m_tableModel->RecordChanged(static_cast<CRecord&>(item));
        return;
    }
    CFilterCombo* combo = kind == kKindType ? m_typeCombo : m_categoryCombo;
    const ItemKey selected = combo->SelectedKey();
    combo->RemoveItem(item.m_key);
    if (!item.m_deleted)
        combo->InsertItem(item, m_context.Collation());
    combo->SelectKey(selected);
    if (selected == item.m_key || combo->currentIndex() == 0)
        RepaintRows();
}

void CTessarinDesktopView::ShowRemoved(int kind, const CBaseItem& item) {
    if (kind == kKindRecord) {
        RemoveRecordRow(static_cast<const CRecord&>(item));
    } else if ((kind == kKindType ? m_typeCombo : m_categoryCombo)->RemoveItem(item.m_key)) {
        // The entry shown went: "All" is chosen, as if the user had picked it.
        if (kind == kKindType)
            SelectTypeEntry(0);
        else
            SelectCategoryEntry(0);
    } else {
        RepaintRows();
    }
}

void CTessarinDesktopView::SessionChanged(const CSessionChanges& changes) {
    if (changes.fromOutside)
        m_watch->TakeFileAsKnown();
    if (IsLocked())
        return;  // nothing is shown; the unlock shows what memory holds
    if (changes.many) {
        // An import or a restore: the choosers and the rows anew, the new records selected.
        RefillFilterCombos();
        std::vector<const CRecord*> added;
        for (const CBaseItem* item : changes.Added(kKindRecord))
            added.push_back(static_cast<const CRecord*>(item));
        if (!added.empty())
            SelectRecords(added);
        return;
    }
    // Types and categories first: the records' rows name them.
    for (int kind : {kKindType, kKindCategory}) {
        for (const CBaseItem* removed : changes.Removed(kind))
            ShowRemoved(kind, *removed);
        for (CBaseItem* item : changes.Changed(kind))
            ShowChanged(kind, *item);
        for (CBaseItem* item : changes.Added(kind))
            ShowArrived(kind, *item);
    }
    RemoveRows(changes.Removed(kKindRecord));
    const auto& changed = changes.Changed(kKindRecord);
    // Many changed rows are painted again at once rather than looked up one by one.
    if (changed.size() > kRowsOneByOne)
        m_tableModel->CellsChanged();
    else
        for (CBaseItem* item : changed)
            m_tableModel->RecordChanged(static_cast<const CRecord&>(*item));
    const auto& added = changes.Added(kKindRecord);
    if (added.size() > kRowsOneByOne) {
        const CSelectionMemo memo = RememberSelection();
        RefillList();
        RestoreSelection(memo);
    } else {
        for (CBaseItem* item : added)
            ShowArrived(kKindRecord, *item);
    }
    ShowInDetails(GetSelectedRecord());
    if (m_commands)
        m_commands->UpdateEnabled();
    TellCounts();
    if (changes.fromOutside)
        ForgetDeparted();
}

void CTessarinDesktopView::RemoveRows(const std::vector<const CBaseItem*>& records) {
    if (records.empty())
        return;
    if (!m_beforeSearch.selected.empty() || m_beforeSearch.current) {
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
    if (records.size() <= kRowsOneByOne) {
        for (const CBaseItem* record : records)
            m_tableModel->RemoveRecordRow(static_cast<const CRecord&>(*record));
    } else {
        const std::unordered_set<const CBaseItem*> gone(records.begin(), records.end());
        m_tableModel->RemoveRecordRows(
            [&gone](const CRecord& record) { return gone.count(&record) != 0; });
    }
    m_list->viewport()->update();
}

void CTessarinDesktopView::SetLockController(CLockController* lock) {
    m_lock = lock;
    if (!lock)
        return;
    connect(lock, &CLockController::locked, this, [this] {
        m_deferredNotices.clear();
        // What was searched for is not left on show either.
        ForgetSearch();
        ClearRows();
    });
    connect(lock, &CLockController::unlocked, this, [this] {
        // The database was read again from its file: what is in it now, the filters kept where
        // their items still are.
        LoadCustomIcons();
        m_watch->TakeFileAsKnown();
        RefillFilterCombos();
        if (RowCount() > 0)
            SelectRowNumbers({0}, 0);
        ImportHandedOver();
    });
}

bool CTessarinDesktopView::IsLocked() const {
    return m_lock && m_lock->IsLocked();
}

void CTessarinDesktopView::SessionReloaded() {
    // Every record of the rows and the pane is gone, or read anew.
    m_beforeSearch = {};
    ClearRows();
}

void CTessarinDesktopView::SessionSaveFailed(const CStoreResult& result) {
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
}

void CTessarinDesktopView::ForgetDeparted() {
    if (BusyElsewhere()) {
        QTimer::singleShot(kDeferredNoticeMs, this, &CTessarinDesktopView::ForgetDeparted);
        return;
    }
    m_session->ForgetDeparted();
}

bool CTessarinDesktopView::OnForeignChange() {
    if (!m_opened || IsLocked())
        return true;
    if (BusyElsewhere())
        return false;
    // The file's password changed: the next command asks for the new one.
    if (PasswordChangedElsewhere(Database()))
        return true;
    // What the other writer changed comes in item by item (MergedFromFile shows it); the rows,
    // the selection and the filters stay. A file that cannot be read whole changes nothing here:
    // the next save keeps it beside itself.
    const CStoreResult result = m_session->BringInOutsideChanges();
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
    return result.code != StoreCode::LockTimeout;
}

}  // namespace tessarin
