// Writes the program's pictures out as PNG files, to look at them or to install them:
//   tessarin-pictures sheets DIR         the icon strips, sheets of every icon at each size on
//                                        light, selected and dark rows at 1x and 2x, the small
//                                        pictures of the views
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include "render/builtin_icons.h"
#include "render/image_strip.h"
#include "render/pictures.h"
#include "render/view_pictures.h"

namespace {

using namespace tessarin;

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Every built-in icon in rectangles of `box`, eight to a row by number, on rows of the list's
// three looks: the light row colour, the selection, and a dark palette's window.
QImage IconSheet(QSize box, qreal scale) {
    const QColor rows[] = {QColor(255, 255, 255), QColor(236, 242, 250), QColor(48, 110, 200),
                           QColor(42, 42, 46), QColor(60, 60, 66)};
    constexpr int kRowsPerLook = 8;
    const int lookCount = int(std::size(rows));
    QImage sheet(QSize(box.width() * 8, box.height() * kRowsPerLook * lookCount) * scale,
                 QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(scale);
    QPainter painter(&sheet);
    for (int look = 0; look < lookCount; ++look) {
        for (int number = 0; number < kBuiltInIconCount; ++number) {
            const QRect cell(number % 8 * box.width(),
                             (look * kRowsPerLook + number / 8) * box.height(), box.width(),
                             box.height());
            painter.fillRect(cell, rows[look]);
            DrawBuiltInIcon(painter, cell, number);
        }
    }
    return sheet;
}

// The other pictures of the views on a light and a dark background.
QImage ViewPictures(qreal scale) {
    const QSize size(120, 40);
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    for (int half = 0; half < 2; ++half) {
        const QRect row(0, half * 20, size.width(), 20);
        painter.fillRect(row, half ? QColor(42, 42, 46) : QColor(255, 255, 255));
        HeaderImage(EHeaderImage::kIcon).paint(&painter, QRect(2, row.y() + 2, 16, 16));
        HeaderImage(EHeaderImage::kNote).paint(&painter, QRect(22, row.y() + 2, 16, 16));
        DrawNoteMark(painter, QRect(40, row.y(), 24, 20));
        DrawCopyButton(painter, QRect(66, row.y() + 3, 12, 13), false);
        DrawCopyButton(painter, QRect(80, row.y() + 3, 12, 13), true);
        DrawMaskMarker(painter, QRect(96, row.y() + 3, 12, 13));
    }
    return image;
}

bool WriteSheets(const QDir& folder) {
    bool ok = true;
    const struct {
        EIconSize size;
        const char* name;
        QSize box;
    } sizes[] = {{EIconSize::kSmall, "small", QSize(16, 14)},
                 {EIconSize::kMedium, "medium", QSize(22, 18)},
                 {EIconSize::kLarge, "large", QSize(28, 24)}};
    for (const auto& size : sizes) {
        for (int scale : {1, 2}) {
            const QString suffix = QStringLiteral("-%1x.png").arg(scale);
            const CImageStrip& strip = BuiltInIconStrip(size.size);
            ok = Save(ComposeStrip(strip, scale), folder,
                      QStringLiteral("strip-") + size.name + suffix) &&
                 ok;
            ok = Save(IconSheet(size.box, scale), folder,
                      QStringLiteral("sheet-") + size.name + suffix) &&
                 ok;
        }
        ok =
            Save(ComposeStrip(BuiltInIconStrip(size.size), 1, EStripBackground::kTransparentColour),
                 folder, QStringLiteral("strip-") + size.name + "-bitmap.png") &&
            ok;
    }
    for (int scale : {1, 2})
        ok = Save(ViewPictures(scale), folder, QStringLiteral("views-%1x.png").arg(scale)) && ok;
    ok = Save(ComposeStrip(CopyButtonStrip(), 1, EStripBackground::kTransparentColour), folder,
              QStringLiteral("copy-bitmap.png")) &&
         ok;
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[1], "sheets") != 0) {
        std::fprintf(stderr, "usage: %s sheets DIR\n", argv[0]);
        return 2;
    }
    // Pictures need no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication application(argc, argv);
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[2]);
        return 1;
    }
    return WriteSheets(folder) ? 0 : 1;
}
