#pragma once

// The record list's columns: the layout in force for the type filter (the type's own, or "Show
// Columns2" while the list shows all types or the unfiled records), the header built from it, the
// widths the user drags or fits, the layout that Show Columns gives, and the layout saved where it
// lives.
#include <array>
#include <optional>
#include <string>

#include "listing/list_columns.h"
#include "store/items.h"

namespace tessarin {

class CDatabaseSession;
class CRecordListView;
class CRecordRows;
class CRecordTableModel;
class CViewSettings;
struct CViewStyle;

class CColumnSetup {
public:
    CColumnSetup(CDatabaseSession& session, CViewSettings& settings, CRecordTableModel& model,
                 CRecordListView& list, CRecordRows& rows, const CViewStyle& style)
        : m_session(session),
          m_settings(settings),
          m_model(model),
          m_list(list),
          m_rows(rows),
          m_style(style) {}

    const CColumnLayout& Layout() const { return m_layout; }
    // The header built anew from the layout; with `reload` the layout is first read again for the
    // type filter. The selection stays.
    void Rebuild(bool reload);
    // The layout kept where it lives: the type's (and the database saved), or "Show Columns2".
    void Save();
    // The user let go of a divider: the width stored (24 at least) and the layout saved.
    void StoreWidth(int column, int width);
    // A double-click on a divider: the column as wide as its widest text; saved with the layout
    // the next time it is.
    void BestFit(int column);
    // The titles "Show Columns" gives the six field boxes: the type's labels, none for the others.
    std::array<std::optional<std::string>, kFieldCount> FieldTitles() const;
    // What "Show Columns" chose: the layout in force, also for every type when `everyType`, saved,
    // and the columns built anew.
    void Take(const CColumnLayout& layout, bool everyType);

private:
    ItemKey TypeFilter() const;

    CDatabaseSession& m_session;
    CViewSettings& m_settings;
    CRecordTableModel& m_model;
    CRecordListView& m_list;
    CRecordRows& m_rows;
    const CViewStyle& m_style;
    CColumnLayout m_layout = CColumnLayout::Default();
};

}  // namespace tessarin
