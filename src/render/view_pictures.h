#pragma once

// The small pictures of the record views beside the record icons: the list header's images, the
// note mark, the copy buttons of the details pane, the mask marker of the record dialog, and the
// program's own icon.
#include <QIcon>
#include <QRect>
#include <QSize>
#include <QString>

#include "render/image_strip.h"

class QPainter;

namespace tessarin {

// Header images of the record list, 16 x 16: over the icon column and over the note column.
enum class EHeaderImage { kIcon = 0, kNote = 1 };
inline constexpr QSize kHeaderImageSize(16, 16);
QIcon HeaderImage(EHeaderImage image);

// The mark of a record with a note, 16 x 16, 5 pixels in from the cell's left edge and centred
// from top to bottom.
inline constexpr QSize kNoteMarkSize(16, 16);
inline constexpr int kNoteMarkInset = 5;
void DrawNoteMark(QPainter& painter, const QRect& cell);

// The copy buttons' pictures: image 0 normally, image 1 while pressed; 12 x 13 each, one above
// the other with a margin of 1, transparent colour red 255, green 153, blue 51.
const CImageStrip& CopyButtonStrip();
void DrawCopyButton(QPainter& painter, const QRect& button, bool pressed);

// The marker beside a masked field of the record dialog, laid out like a copy button image.
const CImageStrip& MaskMarkerStrip();
void DrawMaskMarker(QPainter& painter, const QRect& marker);

// The program's icon, sharp at every size.
QIcon ProgramIcon();

// A built-in picture as an icon, rendered at whatever size and density it is asked for.
QIcon PictureIcon(const QString& name);

}  // namespace tessarin
