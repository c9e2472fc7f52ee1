#pragma once

// Image strips: several small pictures of one size laid out in a grid with a margin around every
// cell, filled column by column. The record icons, the copy buttons and the mask marker are each
// such a strip. The pictures themselves are SVG sources, so a strip is composed at whatever pixel
// density it is shown and kept for the next paint.
#include <span>

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QSize>

class QPainter;

namespace tessarin {

struct CImageStrip {
    QSize m_cell;      // size of one picture
    int m_margin = 0;  // left before every column and above every row, and after the last
    int m_columns = 1;
    int m_rows = 1;
    QRgb m_transparent = 0;  // the colour left out, in the strip's stand-alone bitmap form
    std::span<const char* const> m_pictures;  // picture names, by image number

    // The whole strip, margins included.
    QSize Size() const;
    // Where image `index` lies: column index / rows, row index mod rows.
    QRect Cell(int index) const;
};

enum class EStripBackground {
    kTransparent,        // alpha: what no picture covers is fully transparent
    kTransparentColour,  // opaque, with the strip's transparent colour where no picture covers
};

// The strip composed from its pictures at `scale` device pixels per pixel (the image carries that
// ratio). With the transparent colour, partly covered pixels count as covered when at least half.
QImage ComposeStrip(const CImageStrip& strip, qreal scale,
                    EStripBackground background = EStripBackground::kTransparent);

// The scale to compose pictures at for drawing with this painter: the pixel density of its device
// times any enlargement of its transform.
qreal PictureScale(const QPainter& painter);

// Draws image `index` of the strip with its top left corner at `topLeft`, from a composition at
// the painter's scale (made once per strip and scale). Nothing for an index outside the strip.
void DrawStripImage(QPainter& painter, const CImageStrip& strip, int index, QPoint topLeft);

}  // namespace tessarin
