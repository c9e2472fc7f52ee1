#include "ui/column_setup.h"

#include <QFontMetrics>

#include "platform/qt_text.h"
#include "store/database_session.h"
#include "ui/list_style.h"
#include "ui/record_list_view.h"
#include "ui/record_rows.h"
#include "ui/record_table_model.h"
#include "ui/view_settings.h"

namespace tessarin {

ItemKey CColumnSetup::TypeFilter() const {
    return m_model.List().TypeFilter();
}

void CColumnSetup::Rebuild(bool reload) {
    if (reload) {
        const std::optional<CColumnLayout> layout =
            ReloadedLayout(m_session.Database(), TypeFilter(), m_settings.Columns());
        if (layout)
            m_layout = *layout;
    }
    const CRecordRows::CMemo memo = m_rows.Remember();
    m_model.SetColumns(VisibleColumns(m_layout));
    m_list.ApplyColumnWidths();
    m_list.ShowSortIndicator(m_model.List().Sort());
    m_rows.Restore(memo);
}

void CColumnSetup::Save() {
    const ItemKey filter = TypeFilter();
    switch (LayoutHomeFor(m_session.Database(), filter)) {
        case LayoutHome::Preference:
            m_settings.WriteColumns(m_layout);
            break;
        case LayoutHome::Type: {
            // Unchanged, the type holds it already: saving a large database for nothing would
            // stop the window at every change of the type chooser.
            CTypeItem* type = m_session.Database().FindType(filter);
            if (type->m_columns == m_layout)
                break;
            type->m_columns = m_layout;
            m_session.SaveNow();
            break;
        }
        case LayoutHome::Nowhere:
            break;
    }
}

void CColumnSetup::StoreWidth(int column, int width) {
    SetColumnWidth(m_layout, column, width);
    const int stored = m_layout.entries[static_cast<size_t>(column)].width;
    const int section = m_model.SectionOf(column);
    m_model.SetColumnWidth(section, stored);
    if (stored != width)
        m_list.Header()->resizeSection(section, stored);
    Save();
}

void CColumnSetup::BestFit(int column) {
    const int section = m_model.SectionOf(column);
    if (section < 0)
        return;
    const QFontMetrics metrics(m_style.fonts.list);
    const int width = BestFitWidth(
        m_session.Database(), m_model.List().Rows(), column, m_style.masking,
        [&](std::string_view text) { return metrics.horizontalAdvance(Cp1252ToQString(text)); });
    // Kept in the layout, and written with the next saving of it.
    SetColumnWidth(m_layout, column, width);
    const int stored = m_layout.entries[static_cast<size_t>(column)].width;
    m_model.SetColumnWidth(section, stored);
    m_list.Header()->resizeSection(section, stored);
    m_list.viewport()->update();
}

std::array<std::optional<std::string>, kFieldCount> CColumnSetup::FieldTitles() const {
    std::array<std::optional<std::string>, kFieldCount> titles;
    for (int i = 0; i < kFieldCount; ++i)
        titles[static_cast<size_t>(i)] = ShowFieldTitle(m_session.Database(), TypeFilter(), i);
    return titles;
}

void CColumnSetup::Take(const CColumnLayout& layout, bool everyType) {
    m_layout = layout;
    if (everyType) {
        m_session.Database().ApplyColumnsToAllTypes(m_layout);
        // The types' layouts are part of the database: saved at once like every other change.
        m_session.MarkChanged();
        m_session.SaveNow();
    }
    Save();
    Rebuild(true);
}

}  // namespace tessarin
