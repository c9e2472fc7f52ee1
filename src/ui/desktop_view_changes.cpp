// The record view and the changes that reach its database from outside its own commands: imports,
// the change notices of other processes, and a file rewritten by someone who sent none.
#include <unordered_set>

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
    // The whole path, since the name alone may hide where the file comes from; No unless the user
    // says otherwise, since another program may have asked.
    if (m_context.ShowMessage(str::kImportFileConfirm,
                              {ToMessageText(QString::fromStdString(path))}, MessageIcon::Question,
                              MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
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
    const CNoticeOutcome outcome = tessarin::HandleNotice(*m_database, notice, m_folder);
    if (outcome.result.code == StoreCode::KeyChanged) {
        Q_EMIT passwordChangedElsewhere();
        return;
    }
    // The notice said what changed in the file: no need to read it all again for that.
    m_watch->TakeFileAsKnown();
    const ICollation& collation = m_context.Collation();
    const auto comboOf = [this](uint32_t kind) {
        return kind == kKindType ? m_typeCombo : m_categoryCombo;
    };
    switch (outcome.what) {
        case CNoticeOutcome::Added:
            if (notice.kind == kKindRecord)
                InsertRecordRow(static_cast<CRecord&>(*outcome.item), false);
            else if (!outcome.item->m_deleted)
                comboOf(notice.kind)->InsertItem(*outcome.item, collation);
            break;
        case CNoticeOutcome::Changed:
            if (notice.kind == kKindRecord) {
                // Another program's change repaints the row; the pane keeps the selected record.
                m_tableModel->RecordChanged(static_cast<CRecord&>(*outcome.item));
                ShowInDetails(GetSelectedRecord());
            } else {
                CFilterCombo* combo = comboOf(notice.kind);
                const ItemKey selected = combo->SelectedKey();
                combo->RemoveItem(outcome.item->m_key);
                if (!outcome.item->m_deleted)
                    combo->InsertItem(*outcome.item, collation);
                combo->SelectKey(selected);
                if (selected == outcome.item->m_key || combo->currentIndex() == 0)
                    RepaintRows();
            }
            break;
        case CNoticeOutcome::Removed:
            if (notice.kind == kKindRecord) {
                RemoveRecordRow(static_cast<const CRecord&>(*outcome.removed));
            } else if (comboOf(notice.kind)->RemoveItem(outcome.removed->m_key)) {
                // The entry shown went: "All" is chosen, as if the user had picked it.
                if (notice.kind == kKindType)
                    SelectTypeEntry(0);
                else
                    SelectCategoryEntry(0);
            } else {
                RepaintRows();
            }
            break;
        default:
            break;
    }
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
    ReloadKeepingView();
    return true;
}

void CTessarinDesktopView::ReloadKeepingView() {
    std::vector<uint32_t> numbers;
    for (const CRecord* record : SelectedRows())
        numbers.push_back(record->m_recordNumber);
    const CRecord* current = m_tableModel->RecordAt(m_list->currentIndex().row());
    const uint32_t currentNumber = current ? current->m_recordNumber : 0;
    const ItemKey type = m_listModel.TypeFilter();
    const ItemKey category = m_listModel.CategoryFilter();
    ClearRows();
    const CStoreResult result = ReloadAll(*m_database, m_folder);
    if (result.code == StoreCode::KeyChanged) {
        // Nothing was read: the next command asks for the new password.
        RefillList();
        return;
    }
    ReportLoad(result);
    LoadCustomIcons();
    m_watch->TakeFileAsKnown();
    const auto kept = [](const CItemList& list, const ItemKey& key) {
        return key == AnyKey || key.IsZero() ? key : CheckedFilter(list, key);
    };
    SetFilters(kept(m_database->m_types, type), kept(m_database->m_categories, category));
    std::vector<int> rows;
    int currentRow = -1;
    if (!numbers.empty() || currentNumber) {
        const std::unordered_set<uint32_t> wanted(numbers.begin(), numbers.end());
        for (int row = 0; row < RowCount(); ++row) {
            const uint32_t number = m_tableModel->RecordAt(row)->m_recordNumber;
            if (number == 0)
                continue;
            if (wanted.count(number))
                rows.push_back(row);
            if (number == currentNumber)
                currentRow = row;
        }
    }
    if (!rows.empty() || currentRow >= 0)
        SelectRowNumbers(rows, currentRow);
}

}  // namespace tessarin
