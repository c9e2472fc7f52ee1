#include "render/record_icons.h"

#include "render/builtin_icons.h"
#include "render/custom_icons.h"

namespace tessarin {

bool DrawRecordIcon(QPainter& painter, const QRect& target, int number,
                    const CIconList* customIcons) {
    if (number >= 0 && number < kBuiltInIconCount) {
        DrawBuiltInIcon(painter, target, number);
        return true;
    }
    const int resourceId = number - kFirstCustomIcon;
    if (resourceId < 0 || resourceId > 0xFFFF || !customIcons)
        return false;
    const CIconEntry* icon = customIcons->FindIcon(uint16_t(resourceId));
    return icon && DrawCustomIcon(painter, target, *icon);
}

}  // namespace tessarin
