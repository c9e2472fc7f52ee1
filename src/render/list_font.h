#pragma once

// The record list's font as the "Font" preference records it (the platform's logical-font record),
// turned into a QFont and back.
#include <QFont>

#include "store/preference_formats.h"

namespace tessarin {

// `stored` over `base` (the list's own font): the face, the height (negative: the character
// height in pixels, positive: the cell height, taken as the pixel size), the weight, italic,
// underline and strike-out; what the record leaves at zero or empty keeps `base`'s.
QFont FontFromLogFont(const CLogFont& stored, const QFont& base);

// The record of a font: its character height in pixels (as a negative height), weight, italic,
// underline, strike-out and face name (in Windows-1252, cut to what the record holds). The
// character set says Western text; precision, quality and pitch are left to the system.
CLogFont LogFontFromFont(const QFont& font);

}  // namespace tessarin
