#pragma once

// The record view's settings in the preferences: what it reads when a database is opened (the
// sort, the details pane, the row colour and the list font, the filters of the last session) and
// writes as it closes or the user changes, and the column layout of the lists that show no single
// type ("Show Columns2").
#include <optional>

#include <QColor>

#include "listing/record_list_model.h"
#include "store/preferences.h"

class QFont;

namespace tessarin {

class CViewSettings {
public:
    explicit CViewSettings(CPreferences& preferences) : m_preferences(preferences) {}

    struct CLook {
        CSortSetting sort;
        bool showDetails = true;
        int paneWidth = 0;
        std::optional<QColor> rowColor;  // none: the palette's
        std::optional<CLogFont> font;    // none: the window's
    };
    CLook ReadLook() const;
    // The filters as stored; the view checks them against the database.
    ItemKey TypeFilter() const { return m_preferences.ReadKey(Pref::CurrentType); }
    ItemKey CategoryFilter() const { return m_preferences.ReadKey(Pref::CurrentCategoryId); }

    // "Sort Info", "Showing Details", "Details Pane Width", "Current Type", "Current CategoryID".
    void Write(const CSortSetting& sort, bool showDetails, int paneWidth, const ItemKey& type,
               const ItemKey& category);
    void WriteRowColor(const QColor& color);
    void WriteFont(const QFont& font);

    CColumnLayout Columns() const { return m_preferences.ReadColumns(); }
    void WriteColumns(const CColumnLayout& layout) { m_preferences.WriteColumns(layout); }

private:
    CPreferences& m_preferences;
};

}  // namespace tessarin
