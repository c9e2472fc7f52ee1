#include "ui/record_view_hooks.h"

#include "store/database_lifecycle.h"
#include "ui/desktop_view.h"

namespace tessarin {

void Announce(CCoreContext& context, uint32_t action, int kind, uint32_t recordNumber) {
    PostNotice(context, {action, static_cast<uint32_t>(kind), recordNumber});
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
    if (select)
        m_view.AddAndSelect(record);
    else
        m_view.RefillList();
}

void CViewRecordHooks::RedrawRecordRow(const CRecord&) {
    m_view.RefillList();
}

void CViewRecordHooks::RepaintList() {
    m_view.RefillList();
}

void CViewRecordHooks::FilterItemRemoved(int kind, const CBaseItem& item) {
    if (kind == kKindType && m_view.TypeFilter() == item.m_key)
        m_view.RefillList();
}

void CViewRecordHooks::TypesEdited() {
    m_view.RefillList();
}

const CIconList* CViewRecordHooks::CustomIcons() {
    // Read once per database file: the icon file changes only with a sync, which reloads.
    const std::string& name = m_view.Database().m_handheldName;
    if (!m_iconsRead || m_iconsFolder != m_view.Folder() || m_iconsName != name) {
        m_iconsRead = true;
        m_iconsFolder = m_view.Folder();
        m_iconsName = name;
        if (m_icons.ReadIconFile(m_iconsFolder, name) != EIconFileResult::kRead)
            m_icons.Empty();
    }
    return m_icons.Size() ? &m_icons : nullptr;
}

}  // namespace tessarin
