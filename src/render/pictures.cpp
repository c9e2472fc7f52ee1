#include "render/pictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace tessarin {

namespace {

QString PicturePath(const QString& name) {
    return QStringLiteral(":/pictures/") + name + QStringLiteral(".svg");
}

}  // namespace

bool HasPicture(const QString& name) {
    return QFile::exists(PicturePath(name));
}

QImage RenderPicture(const QString& name, QSize size, qreal devicePixelRatio) {
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    PaintPicture(painter, name, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

void PaintPicture(QPainter& painter, const QString& name, const QRectF& target) {
    QSvgRenderer renderer(PicturePath(name));
    if (renderer.isValid())
        renderer.render(&painter, target);
}

}  // namespace tessarin
