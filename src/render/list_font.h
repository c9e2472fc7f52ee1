#pragma once

// The record list's font as the "Font" preference records it (the platform's logical-font record),
// turned into a QFont.
#include <QFont>

#include "store/preference_formats.h"

namespace tessarin {

// `stored` over `base` (the list's own font): the face, the height (negative: the character
// height in pixels, positive: the cell height, taken as the pixel size), the weight, italic,
// underline and strike-out; what the record leaves at zero or empty keeps `base`'s.
QFont FontFromLogFont(const CLogFont& stored, const QFont& base);

}  // namespace tessarin
