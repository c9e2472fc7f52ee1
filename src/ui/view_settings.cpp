#include "ui/view_settings.h"

#include "render/list_font.h"
#include "ui/list_style.h"

namespace tessarin {

CViewSettings::CLook CViewSettings::ReadLook() const {
    CLook look;
    look.sort = CSortSetting::FromInfo(m_preferences.ReadWord(Pref::SortInfo));
    look.showDetails = m_preferences.ReadNumber(Pref::ShowingDetails) != 0;
    look.paneWidth = static_cast<int>(m_preferences.ReadNumber(Pref::DetailsPaneWidth));
    if (m_preferences.ReadBytes(Pref::RowColor).found)
        look.rowColor = ColorFromWord(m_preferences.ReadWord(Pref::RowColor));
    look.font = m_preferences.ReadFont();
    return look;
}

void CViewSettings::Write(const CSortSetting& sort, bool showDetails, int paneWidth,
                          const ItemKey& type, const ItemKey& category) {
    m_preferences.WriteWord(Pref::SortInfo, sort.ToInfo());
    m_preferences.WriteNumber(Pref::ShowingDetails, showDetails ? 1 : 0);
    m_preferences.WriteNumber(Pref::DetailsPaneWidth, static_cast<uint32_t>(paneWidth));
    m_preferences.WriteKey(Pref::CurrentType, type);
    m_preferences.WriteKey(Pref::CurrentCategoryId, category);
}

void CViewSettings::WriteRowColor(const QColor& color) {
    m_preferences.WriteWord(Pref::RowColor, WordFromColor(color));
}

void CViewSettings::WriteFont(const QFont& font) {
    m_preferences.WriteFont(LogFontFromFont(font));
}

}  // namespace tessarin
