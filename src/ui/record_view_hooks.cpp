#include "ui/record_view_hooks.h"

#include "ui/desktop_view.h"

namespace tessarin {

void DeleteRecords(IRecordViewHooks& view, const std::vector<const CRecord*>& records) {
    // Last row first, as the listener hears of them.
    CDatabaseSession::CChange change(view.Session());
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        change.RemoveRecord(*const_cast<CRecord*>(*it));
    change.Commit();
}

CViewRecordHooks::CViewRecordHooks(CTessarinDesktopView& view) : m_view(view) {}

CDatabaseSession& CViewRecordHooks::Session() {
    return m_view.Session();
}

ItemKey CViewRecordHooks::TypeFilter() const {
    return m_view.TypeFilter();
}

ItemKey CViewRecordHooks::CategoryFilter() const {
    return m_view.CategoryFilter();
}

std::vector<const CRecord*> CViewRecordHooks::SelectedRecords() const {
    return m_view.SelectedRecords();
}

void CViewRecordHooks::SelectRecord(const CRecord& record) {
    m_view.SelectRecords({&record});
}

void CViewRecordHooks::RedrawRecordRow(const CRecord& record) {
    m_view.RedrawRecordRow(record);
}

void CViewRecordHooks::ShowInDetails(const CRecord* record) {
    m_view.ShowInDetails(record);
}

void CViewRecordHooks::TypesEdited() {
    m_view.TypesEdited();
}

const CIconList* CViewRecordHooks::CustomIcons() {
    const CIconList& icons = m_view.CustomIcons();
    return icons.Size() ? &icons : nullptr;
}

}  // namespace tessarin
