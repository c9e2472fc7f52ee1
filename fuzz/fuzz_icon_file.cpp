// The icon file reader on any bytes, then every bitmap of every icon: chosen for a few sizes and
// decoded with its transparent colour.
#include <cstddef>
#include <cstdint>

#include "store/icon_file.h"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIconList icons;
    if (icons.ReadIconData(data, size) != EIconFileResult::kRead)
        return 0;
    for (size_t i = 0; i < icons.Size(); ++i) {
        const CIconEntry& icon = *icons.IconAt(i);
        if (icons.IndexOfIcon(&icon) != i ||
            icons.FindIcon(icon.m_resourceId)->m_resourceId != icon.m_resourceId)
            __builtin_trap();
        for (int target : {1, 16, 22, 32, 0x7FFF}) {
            const auto chosen = ChooseBitmap(icon, target, target);
            if (FitsIn(icon, target, target) &&
                (chosen->header.width > target || chosen->header.height > target))
                __builtin_trap();
        }
        for (const CFamilyBitmap& bitmap :
             ListBitmapFamily(icon.m_bytes.data(), icon.m_bytes.size())) {
            const auto image = DecodeFamilyBitmap(icon, bitmap);
            if (image && image->pixels.size() != size_t(image->width) * size_t(image->height))
                __builtin_trap();
            (void)TransparentColour(icon, bitmap);
        }
    }
    return 0;
}
