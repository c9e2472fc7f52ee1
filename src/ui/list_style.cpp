#include "ui/list_style.h"

#include <algorithm>
#include <cmath>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPalette>

namespace tessarin {

namespace {

inline constexpr int kUiFontMaxPixels = 12;
inline constexpr int kTitleGrowth = 4;
inline constexpr int kTitleBandMargin = 4;
inline constexpr int kTitleBandMinimum = 24;
inline constexpr int kRowMargin = 4;
// A medium icon (18 x 15) is drawn in a cell at least 17 pixels high.
inline constexpr int kRowMinimum = 18;
inline constexpr int kTitleShade = 20;

double Luminance(const QColor& color) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.red()) + 0.7152 * channel(color.green()) +
           0.0722 * channel(color.blue());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const QColor& color) {
    return Luminance(color) < 0.2;
}

}  // namespace

QFont UiFontFrom(const QFont& windowFont) {
    QFont font(windowFont);
    if (QFontInfo(font).pixelSize() > kUiFontMaxPixels)
        font.setPixelSize(kUiFontMaxPixels);
    return font;
}

CListFonts CListFonts::FromListFont(const QFont& listFont) {
    CListFonts fonts;
    fonts.list = listFont;
    fonts.listUnderlined = listFont;
    fonts.listUnderlined.setUnderline(true);
    fonts.title = listFont;
    fonts.title.setPixelSize(QFontInfo(listFont).pixelSize() + kTitleGrowth);
    fonts.title.setBold(true);
    fonts.titleUnderlined = fonts.title;
    fonts.titleUnderlined.setUnderline(true);
    const QFontMetrics list(listFont);
    fonts.lineHeight = list.height() + list.leading();
    fonts.titleBandHeight =
        std::max(QFontMetrics(fonts.title).height() + kTitleBandMargin, kTitleBandMinimum);
    fonts.rowHeight = std::max(list.height() + kRowMargin, kRowMinimum);
    return fonts;
}

QColor ColorFromWord(uint32_t word) {
    return QColor(word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF);
}

uint32_t WordFromColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<uint32_t>(rgb.red()) | static_cast<uint32_t>(rgb.green()) << 8 |
           static_cast<uint32_t>(rgb.blue()) << 16;
}

QColor DefaultRowColor(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    if (!IsDark(base))
        return ColorFromWord(kDefaultRowColorWord);
    // The default's hue over the dark background, a little lighter than it.
    return QColor::fromHsl(220, 45, std::min(255, base.lightness() + 22));
}

QColor TitleBandColor(const QColor& rowColor) {
    const QColor rgb = rowColor.toRgb();
    return QColor(std::max(0, rgb.red() - kTitleShade), std::max(0, rgb.green() - kTitleShade),
                  std::max(0, rgb.blue() - kTitleShade));
}

QColor TextColorOn(const QColor& background, const QColor& preferred) {
    // 4.5 is what text of an ordinary size needs to be read easily.
    if (Contrast(background, preferred) >= 4.5)
        return preferred;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return Contrast(background, black) >= Contrast(background, white) ? black : white;
}

QColor LinkColorOn(const QColor& background) {
    return IsDark(background) ? QColor(0x8a, 0xb4, 0xf8) : QColor(Qt::blue);
}

}  // namespace tessarin
