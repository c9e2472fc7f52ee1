// The record view and the changes that reach its database from outside its own commands: imports,
// the change notices of other processes, and a file rewritten by someone who sent none.

#include <QApplication>
#include <QInputDialog>

#include "listing/filter_entries.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/core_context.h"
#include "store/database_lifecycle.h"
#include "ui/database_watch.h"
#include "ui/desktop_view.h"
#include "ui/details_pane.h"
#include "ui/filter_combo.h"
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
        tessarin::ImportFile(*m_database, ExchangeFormat::Detect, path, false, *this, prompt);
    m_imported.clear();
    return outcome;
}

void CTessarinDesktopView::ImportWithConfirmation(const std::string& path) {
    if (m_locked) {
        m_handedOver.push_back(path);
        return;
    }
    if (m_context.ShowMessage(str::kImportFileConfirm, {FileNameForMessage(path)},
                              MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes)
        return;
    ImportFile(path);
}

void CTessarinDesktopView::ImportHandedOver() {
    while (!m_handedOver.empty() && !m_locked) {
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
    if (m_locked) {
        m_noticePending = true;
        return;
    }
    if (BusyElsewhere() || !m_deferredNotices.empty()) {
        m_deferredNotices.push_back(notice);
        m_deferTimer.start();
        return;
    }
    HandleNotice(notice);
}

void CTessarinDesktopView::FlushDeferredNotices() {
    if (m_locked) {
        m_deferredNotices.clear();
        m_noticePending = true;
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
    // An item taken out stays alive in the outcome until its row and entry are gone.
    CNoticeOutcome outcome = tessarin::HandleNotice(*m_database, notice, m_folder);
    if (outcome.result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return;
    }
    // The notice said what changed in the file: no need to read it all again for that.
    m_watch->TakeFileAsKnown();
    switch (outcome.what) {
        case CNoticeOutcome::Added:
            ShowArrived(static_cast<int>(notice.kind), *outcome.item);
            break;
        case CNoticeOutcome::Changed:
            ShowChanged(static_cast<int>(notice.kind), *outcome.item);
            // Another program's change repaints the row; the pane keeps the selected record.
            ShowInDetails(GetSelectedRecord());
            break;
        case CNoticeOutcome::Removed:
            ShowRemoved(static_cast<int>(notice.kind), *outcome.removed);
            break;
        default:
            break;
    }
}

void CTessarinDesktopView::ShowArrived(int kind, CBaseItem& item) {
    if (kind == kKindRecord)
        InsertRecordRow(static_cast<CRecord&>(item), false);
    else if (!item.m_deleted)
        (kind == kKindType ? m_typeCombo : m_categoryCombo)->InsertItem(item, m_context.Collation());
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

void CTessarinDesktopView::MergedFromFile(CMergeOutcome& outcome) {
    m_watch->TakeFileAsKnown();
    if (m_locked)
        return;  // nothing is shown; the unlock shows what memory holds
    // Types and categories first: the records' rows name them.
    for (int kind : {kKindType, kKindCategory, kKindRecord}) {
        const auto k = static_cast<size_t>(kind);
        for (auto& removed : outcome.removed[k])
            ShowRemoved(kind, *removed);
        for (CBaseItem* item : outcome.changed[k])
            ShowChanged(kind, *item);
        for (CBaseItem* item : outcome.added[k])
            ShowArrived(kind, *item);
    }
    ShowInDetails(GetSelectedRecord());
    for (auto& removed : outcome.removed)
        for (auto& item : removed)
            m_departed.push_back(std::move(item));
    ForgetDeparted();
}

void CTessarinDesktopView::ForgetDeparted() {
    if (m_departed.empty())
        return;
    if (BusyElsewhere()) {
        QTimer::singleShot(kDeferredNoticeMs, this, &CTessarinDesktopView::ForgetDeparted);
        return;
    }
    m_departed.clear();
}

bool CTessarinDesktopView::OnForeignChange() {
    if (!m_opened)
        return true;
    if (m_locked) {
        m_noticePending = true;
        return true;
    }
    if (BusyElsewhere())
        return false;
    // The file's password changed: the next command asks for the new one.
    if (PasswordChangedElsewhere(*m_database))
        return true;
    // What the other writer changed comes in item by item (MergedFromFile shows it); the rows,
    // the selection and the filters stay. A file that cannot be read whole changes nothing here:
    // the next save keeps it beside itself.
    const CStoreResult result = BringInOutsideChanges(*m_database);
    if (result.code == StoreCode::KeyChanged)
        Q_EMIT passwordChangedElsewhere();
    return result.code != StoreCode::LockTimeout;
}

}  // namespace tessarin
