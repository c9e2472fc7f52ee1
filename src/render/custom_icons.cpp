#include "render/custom_icons.h"

#include <cstring>
#include <vector>

#include <QPainter>

namespace tessarin {

QImage BitmapImage(const CDecodedBitmap& bitmap, std::optional<uint32_t> transparent) {
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        bitmap.pixels.size() < size_t(bitmap.width) * size_t(bitmap.height))
        return QImage();
    const std::vector<uint32_t> argb = ArgbPixels(bitmap, transparent);
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < bitmap.height; ++y)
        std::memcpy(image.scanLine(y), argb.data() + size_t(y) * size_t(bitmap.width),
                    size_t(bitmap.width) * sizeof(uint32_t));
    return image;
}

QImage CustomIconImage(const CIconEntry& icon, const CFamilyBitmap& bitmap) {
    const std::optional<CDecodedBitmap> decoded = DecodeFamilyBitmap(icon, bitmap);
    if (!decoded)
        return QImage();
    return BitmapImage(*decoded, TransparentColour(icon, bitmap));
}

bool DrawCustomIcon(QPainter& painter, const QRect& target, const CIconEntry& icon) {
    if (!FitsIn(icon, target.width(), target.height()))
        return false;
    const std::optional<CFamilyBitmap> chosen = ChooseBitmap(icon, target.width(), target.height());
    if (!chosen)
        return false;
    const QImage image = CustomIconImage(icon, *chosen);
    if (image.isNull())
        return false;
    const QPoint at(target.x() + (target.width() - image.width()) / 2,
                    target.y() + (target.height() - image.height()) / 2);
    // The handheld's pixels are the picture: enlarged for a dense screen, they stay square.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(at, image);
    painter.restore();
    return true;
}

}  // namespace tessarin
