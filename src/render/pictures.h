#pragma once

// The program's own pictures: SVG sources compiled into the program (src/resources/pictures),
// rendered sharp at whatever size and pixel density they are shown.
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace tessarin {

// Whether the picture named `name` (its file name without ".svg") is built in.
bool HasPicture(const QString& name);

// The picture rendered into `size` device-independent pixels at `devicePixelRatio`; a transparent
// image of that size when there is no such picture.
QImage RenderPicture(const QString& name, QSize size, qreal devicePixelRatio = 1.0);

// Paints the picture into `target` (painter coordinates); nothing when there is no such picture.
void PaintPicture(QPainter& painter, const QString& name, const QRectF& target);

}  // namespace tessarin
