#include "render/view_pictures.h"

#include <array>
#include <utility>

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include "render/pictures.h"

namespace tessarin {

namespace {

// One picture as an icon: painted from its SVG source at whatever size and density is asked.
class CPictureIconEngine : public QIconEngine {
public:
    explicit CPictureIconEngine(QString name) : m_name(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        PaintPicture(*painter, m_name, QRectF(rect));
        painter->restore();
    }

    // QIcon asks for device pixels here, the density already applied.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        return QPixmap::fromImage(std::move(image));
    }

    QIconEngine* clone() const override { return new CPictureIconEngine(m_name); }
    QString key() const override { return QStringLiteral("tessarin-picture"); }
    bool isNull() override { return !HasPicture(m_name); }

private:
    QString m_name;
};

constexpr std::array<const char*, 2> kCopyButtonPictures = {"copy", "copy-pressed"};
constexpr std::array<const char*, 1> kMaskMarkerPictures = {"mask-marker"};
constexpr std::array<const char*, 1> kNoteMarkPictures = {"note"};

const CImageStrip kCopyButtons{QSize(12, 13), 1, 1, 2, qRgb(255, 153, 51), kCopyButtonPictures};
const CImageStrip kMaskMarkers{QSize(12, 13), 1, 1, 1, qRgb(255, 153, 51), kMaskMarkerPictures};
// Drawn in every row with a note: composed once, like the strips of the resource form.
const CImageStrip kNoteMarks{kNoteMarkSize, 0, 1, 1, qRgb(255, 0, 255), kNoteMarkPictures};

// Image `index` of a strip centred in `rect`, by integer halves as the record icons are.
void DrawCentred(QPainter& painter, const CImageStrip& strip, int index, const QRect& rect) {
    const QSize cell = strip.m_cell;
    DrawStripImage(painter, strip, index,
                   QPoint(rect.x() + (rect.width() - cell.width()) / 2,
                          rect.y() + (rect.height() - cell.height()) / 2));
}

}  // namespace

QIcon HeaderImage(EHeaderImage image) {
    return PictureIcon(image == EHeaderImage::kNote ? QStringLiteral("note")
                                                    : QStringLiteral("header-icon"));
}

void DrawNoteMark(QPainter& painter, const QRect& cell) {
    DrawStripImage(
        painter, kNoteMarks, 0,
        QPoint(cell.x() + kNoteMarkInset, cell.y() + (cell.height() - kNoteMarkSize.height()) / 2));
}

const CImageStrip& CopyButtonStrip() {
    return kCopyButtons;
}

void DrawCopyButton(QPainter& painter, const QRect& button, bool pressed) {
    DrawCentred(painter, kCopyButtons, pressed ? 1 : 0, button);
}

const CImageStrip& MaskMarkerStrip() {
    return kMaskMarkers;
}

void DrawMaskMarker(QPainter& painter, const QRect& marker) {
    DrawCentred(painter, kMaskMarkers, 0, marker);
}

QIcon ProgramIcon() {
    return PictureIcon(QStringLiteral("tessarin"));
}

QIcon PictureIcon(const QString& name) {
    return QIcon(new CPictureIconEngine(name));
}

}  // namespace tessarin
