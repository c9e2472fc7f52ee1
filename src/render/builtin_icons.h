#pragma once

// The 64 built-in record icons, in three sizes. Each size is a strip of 8 by 8 cells (icon n in
// column n / 8, row n mod 8); a rectangle gets the largest size that suits it.
#include <QRect>

#include "render/image_strip.h"

class QPainter;

namespace tessarin {

inline constexpr int kBuiltInIconCount = 64;

enum class EIconSize {
    kSmall,   // cells 12 x 10, margin 4
    kMedium,  // cells 18 x 15, margin 6
    kLarge,   // cells 24 x 20, margin 8
};

// The size drawn into a rectangle of that width and height: small when w < 20 or h < 17, else
// medium when w < 26 or h < 22, else large.
EIconSize IconSizeFor(int width, int height);

// The strip of that size. Its transparent colour is red 255, green 204, blue 255.
const CImageStrip& BuiltInIconStrip(EIconSize size);

// The picture name of built-in icon `number` (0-63), e.g. "icon-bank"; none outside that range.
const char* BuiltInIconPicture(int number);

// Where the icon's cell goes in `target`: centred, by integer halves of the spare width and height.
QRect BuiltInIconRect(const QRect& target, EIconSize size);

// Draws built-in icon `number` centred in `target`, sharp at the painter's pixel density. Nothing
// for a number outside 0-63.
void DrawBuiltInIcon(QPainter& painter, const QRect& target, int number);

}  // namespace tessarin
