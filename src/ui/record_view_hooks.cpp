#include "ui/record_view_hooks.h"

#include <QTimer>

#include "store/change_notice.h"
#include "store/database_lifecycle.h"
#include "ui/desktop_view.h"

namespace tessarin {

void Announce(CCoreContext& context, uint32_t action, int kind, uint32_t recordNumber) {
    PostNotice(context, {action, static_cast<uint32_t>(kind), recordNumber});
}

void DeleteRecords(CCoreContext& context, IRecordViewHooks& view,
                   const std::vector<const CRecord*>& records) {
    CDatabaseObj& database = view.Database();
    // Last row first, as the rows are taken out. The listener hears of the deletions once the
    // file holds them.
    std::vector<uint32_t> numbers;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        auto* record = const_cast<CRecord*>(*it);
        numbers.push_back(record->m_recordNumber);
        view.RemoveRecordRow(*record);
        database.m_records.Delete(record);
    }
    view.MarkDatabaseChanged();
    if (view.SaveDatabase())
        for (uint32_t number : numbers)
            Announce(context, kActionDeleted, kKindRecord, number);
    view.RepaintList();
}

CViewRecordHooks::CViewRecordHooks(CTessarinDesktopView& view) : m_view(view) {}

CDatabaseObj& CViewRecordHooks::Database() {
    return m_view.Database();
}

bool CViewRecordHooks::SaveDatabase() {
    return m_view.SaveNow();
}

void CViewRecordHooks::MarkDatabaseChanged() {
    m_view.MarkDatabaseChanged();
}

ItemKey CViewRecordHooks::TypeFilter() const {
    return m_view.TypeFilter();
}

std::vector<const CRecord*> CViewRecordHooks::SelectedRecords() const {
    return m_view.SelectedRecords();
}

void CViewRecordHooks::InsertRecordRow(CRecord& record, bool select) {
    m_view.InsertRecordRow(record, select);
}

void CViewRecordHooks::RedrawRecordRow(const CRecord& record) {
    m_view.RedrawRecordRow(record);
}

void CViewRecordHooks::RemoveRecordRow(const CRecord& record) {
    m_view.RemoveRecordRow(record);
}

void CViewRecordHooks::RepaintList() {
    m_view.RepaintRows();
}

void CViewRecordHooks::ShowInDetails(const CRecord* record) {
    m_view.ShowInDetails(record);
}

ItemKey CViewRecordHooks::CategoryFilter() const {
    return m_view.CategoryFilter();
}

void CViewRecordHooks::FilterItemAdded(int, const CBaseItem&) {
    RefillCombosLater();
}

void CViewRecordHooks::FilterItemRenamed(int, const CBaseItem&) {
    RefillCombosLater();
}

void CViewRecordHooks::FilterItemRemoved(int, const CBaseItem&) {
    // Told before the item goes: the combos are built anew once it has, and a filter that named
    // it goes back to all.
    RefillCombosLater();
}

void CViewRecordHooks::TypesEdited() {
    m_view.RefillFilterCombos();
}

void CViewRecordHooks::RefillCombosLater() {
    if (m_refillQueued)
        return;
    m_refillQueued = true;
    QTimer::singleShot(0, &m_view, [this] {
        m_refillQueued = false;
        m_view.RefillFilterCombos();
    });
}

const CIconList* CViewRecordHooks::CustomIcons() {
    const CIconList& icons = m_view.CustomIcons();
    return icons.Size() ? &icons : nullptr;
}

}  // namespace tessarin
