#include "render/image_strip.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>

#include <QPaintDevice>
#include <QPainter>
#include <QString>

#include "render/pictures.h"

namespace tessarin {

namespace {

// Compositions are made in quarter steps of scale, from 1 to 8: enough for every screen and
// print preview zoom, and few enough to keep each one.
constexpr qreal kScaleStep = 4.0;
constexpr qreal kMaxScale = 8.0;

// The device pixels a rectangle of the strip covers at `scale`; neighbouring cells never overlap
// and never leave a gap, whatever the scale.
QRect DeviceRect(const QRect& rect, qreal scale) {
    const int left = qRound(rect.x() * scale);
    const int top = qRound(rect.y() * scale);
    const int right = qRound((rect.x() + rect.width()) * scale);
    const int bottom = qRound((rect.y() + rect.height()) * scale);
    return QRect(left, top, right - left, bottom - top);
}

// Pixels at least half covered become opaque, the others the transparent colour.
QImage WithTransparentColour(const QImage& composed, QRgb transparent) {
    QImage keyed(composed.size(), QImage::Format_RGB32);
    const QImage source = composed.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < source.width(); ++x)
            out[x] = qAlpha(in[x]) >= 128 ? (in[x] | 0xFF000000u) : (transparent | 0xFF000000u);
    }
    keyed.setDevicePixelRatio(composed.devicePixelRatio());
    return keyed;
}

QImage CachedComposition(const CImageStrip& strip, qreal scale) {
    static std::mutex mutex;
    static std::map<std::pair<const CImageStrip*, int>, QImage> compositions;
    const std::pair<const CImageStrip*, int> key(&strip, qRound(scale * kScaleStep));
    const std::lock_guard<std::mutex> lock(mutex);
    auto found = compositions.find(key);
    if (found == compositions.end())
        found = compositions.emplace(key, ComposeStrip(strip, scale)).first;
    return found->second;
}

}  // namespace

QSize CImageStrip::Size() const {
    return QSize(m_columns * (m_cell.width() + m_margin) + m_margin,
                 m_rows * (m_cell.height() + m_margin) + m_margin);
}

QRect CImageStrip::Cell(int index) const {
    const int column = index / m_rows;
    const int row = index % m_rows;
    return QRect(m_margin + column * (m_margin + m_cell.width()),
                 m_margin + row * (m_margin + m_cell.height()), m_cell.width(), m_cell.height());
}

QImage ComposeStrip(const CImageStrip& strip, qreal scale, EStripBackground background) {
    QImage composed(DeviceRect(QRect(QPoint(0, 0), strip.Size()), scale).size(),
                    QImage::Format_ARGB32_Premultiplied);
    composed.fill(Qt::transparent);
    {
        QPainter painter(&composed);
        painter.setRenderHint(QPainter::Antialiasing);
        for (size_t i = 0; i < strip.m_pictures.size(); ++i)
            PaintPicture(painter, QString::fromLatin1(strip.m_pictures[i]),
                         QRectF(DeviceRect(strip.Cell(int(i)), scale)));
    }
    composed.setDevicePixelRatio(scale);
    if (background == EStripBackground::kTransparentColour)
        return WithTransparentColour(composed, strip.m_transparent);
    return composed;
}

qreal PictureScale(const QPainter& painter) {
    const qreal density = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal enlargement = std::sqrt(std::abs(painter.worldTransform().determinant()));
    const qreal scale = density * std::max<qreal>(1.0, enlargement);
    return std::clamp(std::ceil(scale * kScaleStep - 0.01) / kScaleStep, 1.0, kMaxScale);
}

void DrawStripImage(QPainter& painter, const CImageStrip& strip, int index, QPoint topLeft) {
    if (index < 0 || size_t(index) >= strip.m_pictures.size())
        return;
    const qreal scale = PictureScale(painter);
    const QRect cell = strip.Cell(index);
    painter.drawImage(QRectF(QPointF(topLeft), QSizeF(cell.size())),
                      CachedComposition(strip, scale), QRectF(DeviceRect(cell, scale)));
}

}  // namespace tessarin
