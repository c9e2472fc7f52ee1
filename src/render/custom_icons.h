#pragma once

// Custom icons: the bitmaps of the user's handheld icon file, decoded by the core and drawn here.
#include <cstdint>
#include <optional>

#include <QImage>
#include <QRect>

#include "store/icon_file.h"
#include "store/palm_bitmap.h"

class QPainter;

namespace tessarin {

// The decoded bitmap as a picture, its transparent colour (if any) fully transparent and every
// other pixel opaque. A null image when the bitmap has no pixels.
QImage BitmapImage(const CDecodedBitmap& bitmap, std::optional<uint32_t> transparent);

// Bitmap `bitmap` of the icon's family as a picture; a null image when it does not decode.
QImage CustomIconImage(const CIconEntry& icon, const CFamilyBitmap& bitmap);

// Draws the icon's bitmap chosen for the size of `target` centred in it, leaving out its
// transparent colour. Draws nothing when the chosen bitmap is wider or higher than `target` or
// does not decode. Whether it drew.
bool DrawCustomIcon(QPainter& painter, const QRect& target, const CIconEntry& icon);

}  // namespace tessarin
