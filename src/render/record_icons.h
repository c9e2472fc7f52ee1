#pragma once

// A record's icon, whichever kind its number names.
#include <QRect>

#include "store/icon_file.h"

class QPainter;

namespace tessarin {

// The first icon number of the custom icons: number - 256 is the resource id in the user's icons.
inline constexpr int kFirstCustomIcon = 256;

// Draws icon `number` into `target`: 0-63 built-in, 256 and above the custom icon of resource id
// number - 256 from `customIcons` (none: no custom icons). Whether something was drawn: not for
// the numbers between, a custom icon that is not there or does not fit.
bool DrawRecordIcon(QPainter& painter, const QRect& target, int number,
                    const CIconList* customIcons);

}  // namespace tessarin
