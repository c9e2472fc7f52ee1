#pragma once

// The record view's fonts and colours: the font of the strips above and below the list, the four
// fonts made from the list font, the row and title colours, and text colours that read on them.
#include <cstdint>

#include <QColor>
#include <QFont>

class QPalette;

namespace tessarin {

class CIconList;

// The window's font with its character height kept to 12 pixels at most.
QFont UiFontFrom(const QFont& windowFont);

struct CListFonts {
    QFont list;
    QFont listUnderlined;  // links in the details pane
    QFont title;           // the list font 4 pixels taller, bold
    QFont titleUnderlined;
    int lineHeight = 0;       // text height plus external leading of the list font
    int titleBandHeight = 0;  // text height of the title font plus 4, at least 24
    int rowHeight = 0;        // a row of the list: the line and a margin, room for a medium icon

    static CListFonts FromListFont(const QFont& listFont);
};

// What the list and the details pane are painted with; the view owns it and changes it.
struct CViewStyle {
    CListFonts fonts;
    QColor rowColor;
    const CIconList* customIcons = nullptr;
    bool masking = true;  // masked values show as "****"
};

// "Row Color" as stored: red in the low byte, then green, then blue.
inline constexpr uint32_t kDefaultRowColorWord = 16708589;  // red 237, green 243, blue 254
QColor ColorFromWord(uint32_t word);
uint32_t WordFromColor(const QColor& color);

// The row colour when the user has chosen none: the stored default, or on a dark palette a dark
// blue tint of the list's background that keeps light text readable.
QColor DefaultRowColor(const QPalette& palette);

// The details pane's title band: the row colour with red, green and blue each 20 less.
QColor TitleBandColor(const QColor& rowColor);

// `preferred` when it reads on `background`, else black or white, whichever reads better.
QColor TextColorOn(const QColor& background, const QColor& preferred);
// Links are blue; on a dark background a light blue.
QColor LinkColorOn(const QColor& background);

}  // namespace tessarin
