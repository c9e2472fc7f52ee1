#include "render/list_font.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <QFontInfo>
#include <QStringList>

#include "base/codepage.h"
#include "platform/qt_text.h"

namespace tessarin {

QFont FontFromLogFont(const CLogFont& stored, const QFont& base) {
    QFont font(base);
    if (!stored.faceName.empty())
        font.setFamilies(QStringList{Cp1252ToQString(stored.faceName)});
    // A damaged record's height is kept to sizes a list can show.
    constexpr int64_t kLargest = 1000;
    if (stored.height != 0)
        font.setPixelSize(
            static_cast<int>(std::min<int64_t>(std::abs(int64_t{stored.height}), kLargest)));
    // The record's weights run from 1 to 1000 like Qt's; 0 is the face's own.
    if (stored.weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::min(stored.weight, 1000)));
    font.setItalic(stored.italic != 0);
    font.setUnderline(stored.underline != 0);
    font.setStrikeOut(stored.strikeOut != 0);
    return font;
}

CLogFont LogFontFromFont(const QFont& font) {
    CLogFont stored;
    // What the font resolves to on this screen: a font chosen in points has a pixel size here.
    stored.height = -QFontInfo(font).pixelSize();
    stored.weight = font.weight();
    stored.italic = font.italic() ? 1 : 0;
    stored.underline = font.underline() ? 1 : 0;
    stored.strikeOut = font.strikeOut() ? 1 : 0;
    const QString family = font.families().isEmpty() ? font.family() : font.families().first();
    stored.faceName = Utf16ToCp1252(std::u16string_view(
        reinterpret_cast<const char16_t*>(family.utf16()), static_cast<size_t>(family.size())));
    if (stored.faceName.size() >= CLogFont::kFaceNameBytes)
        stored.faceName.resize(CLogFont::kFaceNameBytes - 1);
    return stored;
}

}  // namespace tessarin
